#pragma once
// Time spent inside the host's COM faces, for the benchmark: every face
// method is timed, less the calls into add-ins that the host makes from
// inside one (a disconnection, an event). It counts only while started.

namespace standin::com {

class HostCallClock {
 public:
  // Counts from zero from now on.
  static void Start();
  static void Stop();
  static double Millis();

  // For as long as one lives, a face method of the host is running.
  class InHost {
   public:
    InHost() noexcept;
    ~InHost();
    InHost(const InHost&) = delete;
    InHost& operator=(const InHost&) = delete;
  };
  // For as long as one lives, the host is calling into an add-in.
  class InAddIn {
   public:
    InAddIn() noexcept;
    ~InAddIn();
    InAddIn(const InAddIn&) = delete;
    InAddIn& operator=(const InAddIn&) = delete;

   private:
    int outerDepth_;
  };
};

}  // namespace standin::com
