#pragma once
// No C++ exception may cross a COM method. Each method body runs inside
// Guarded, which turns a failure into its HRESULT and sets the thread's
// error info (IErrorInfo: description, source, interface) for the caller.
#include <windows.h>
#include <ole2.h>

#include <cstdint>

#include "host/com/hresult_error.h"
#include "host/error.h"
#include "host/text.h"

namespace host::com {

// The HRESULT of a failure code; a code that does not read as a failure
// (0, or another success code) becomes E_FAIL, so a failure is never
// reported as success.
HRESULT AsFailure(std::uint32_t code) noexcept;

// A failed HRESULT thrown as the portable failure, with that code; a
// success passes.
inline void ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) ThrowHresult(hr);
}

// The same for a call on an object that leaves its text in the thread's
// error info (IErrorInfo): the error carries that text.
void ThrowIfFailedWithErrorInfo(HRESULT hr);

// The same for IDispatch::Invoke: DISP_E_EXCEPTION is thrown as the code the
// object raised (EXCEPINFO.scode, or its error number wCode as the classic
// runtime gives it) with its description. The strings of `exception` are
// freed either way.
void ThrowIfFailed(HRESULT hr, EXCEPINFO& exception);

// The text shown for a failure that came without a description.
Text StandardDescription(std::uint32_t code);

// What the exception being handled means to a COM caller: a host::Error its
// code (as a failure) and text, running out of memory E_OUTOFMEMORY, any
// other exception E_UNEXPECTED with its text if it has one. Only inside a
// catch block.
struct FailureDescription {
  HRESULT hr = E_UNEXPECTED;
  Text description;  // empty only when there was no memory for it
};
FailureDescription DescribeCurrentException() noexcept;

// To be called only inside a catch block: translates the exception being
// handled and sets the error info.
HRESULT ReportCurrentException(REFIID iid, const OLECHAR* source) noexcept;

template <class Body>
HRESULT Guarded(REFIID iid, const OLECHAR* source, Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return ReportCurrentException(iid, source);
  }
}

}  // namespace host::com
