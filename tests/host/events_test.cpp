#include <gtest/gtest.h>

#include <vector>

#include "host/events.h"

namespace {

struct Sink {
  int calls = 0;
};

// A source that counts its live subscriptions, as a host must.
struct Source : host::Object {
  std::vector<Sink*> sinks;
  bool failAdvise = false;
  host::Connection Advise(Sink& s) {
    if (failAdvise) throw host::Error(0x80040200);
    sinks.push_back(&s);
    return host::Connection([this, p = &s] { std::erase(sinks, p); });
  }
  void Raise() {
    for (auto* s : std::vector<Sink*>(sinks)) ++s->calls;
  }
};

TEST(WithEvents, ReassigningStopsDeliveryFromTheOldObject) {
  Sink sink;
  auto a = std::make_shared<Source>();
  auto b = std::make_shared<Source>();
  {
    host::WithEvents<Source, Sink> ref(sink);
    ref.Set(a);
    a->Raise();
    EXPECT_EQ(sink.calls, 1);
    ref.Set(b);
    a->Raise();
    b->Raise();
    EXPECT_EQ(sink.calls, 2);
    EXPECT_TRUE(a->sinks.empty());
    ref.Set(nullptr);
    EXPECT_TRUE(b->sinks.empty());
    EXPECT_FALSE(ref);
    ref.Set(b);
  }
  EXPECT_TRUE(b->sinks.empty()) << "destroying the reference unadvises";
  EXPECT_EQ(a.use_count(), 1);
  EXPECT_EQ(b.use_count(), 1);
}

TEST(WithEvents, FailingAdviseLeavesTheReferenceNull) {
  Sink sink;
  auto a = std::make_shared<Source>();
  a->failAdvise = true;
  host::WithEvents<Source, Sink> ref(sink);
  EXPECT_THROW(ref.Set(a), host::Error);
  EXPECT_FALSE(ref);
  EXPECT_EQ(a.use_count(), 1);
}

TEST(Connection, MovedFromConnectionDoesNotDisconnectTwice) {
  int disconnects = 0;
  {
    host::Connection c([&] { ++disconnects; });
    host::Connection d = std::move(c);
    EXPECT_FALSE(c.connected());
    EXPECT_TRUE(d.connected());
  }
  EXPECT_EQ(disconnects, 1);
}

}  // namespace
