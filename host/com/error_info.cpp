#include "host/com/error_info.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "host/error.h"

namespace host::com {
namespace {

void SetErrorInfoFor(REFIID iid, const OLECHAR* source, const Text& description) noexcept {
  try {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return;
    create->SetGUID(iid);
    if (source) create->SetSource(const_cast<OLECHAR*>(source));
    Bstr text(description);
    create->SetDescription(text.get());
    if (auto info = create.As<IErrorInfo>()) SetErrorInfo(0, info.get());
  } catch (...) {
    // Out of memory for the description: the HRESULT alone still goes back.
  }
}

}  // namespace

void ThrowIfFailedWithErrorInfo(HRESULT hr) {
  if (SUCCEEDED(hr)) return;
  Text description;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK && info) {
    Bstr text;
    if (SUCCEEDED(info->GetDescription(text.put()))) description = text.text();
  }
  ThrowHresult(hr, std::move(description));
}

void ThrowIfFailed(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  const auto description = Bstr::Adopt(std::exchange(exception.bstrDescription, nullptr));
  Bstr::Adopt(std::exchange(exception.bstrSource, nullptr));
  Bstr::Adopt(std::exchange(exception.bstrHelpFile, nullptr));
  if (hr != DISP_E_EXCEPTION) return ThrowIfFailed(hr);
  HRESULT raised = hr;
  if (FAILED(exception.scode)) {
    raised = exception.scode;
  } else if (exception.wCode != 0) {
    raised = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);  // 0x800A0000 | wCode
  }
  ThrowHresult(raised, description.text());
}

HRESULT AsFailure(std::uint32_t code) noexcept {
  HRESULT hr = static_cast<HRESULT>(code);
  return FAILED(hr) ? hr : E_FAIL;
}

Text StandardDescription(std::uint32_t code) {
  switch (code) {
    case code::InvalidProcedureCall: return u"Invalid procedure call or argument";
    case code::Overflow: return u"Overflow";
    case code::SubscriptOutOfRange: return u"Subscript out of range";
    case code::TypeMismatch: return u"Type mismatch";
    case code::ObjectNotSet: return u"Object variable or With block variable not set";
    case code::InvalidUseOfNull: return u"Invalid use of Null";
    case code::NotSupported: return u"Object doesn't support this property or method";
    case static_cast<std::uint32_t>(E_OUTOFMEMORY): return u"Out of memory";
    default: return u"Automation error";
  }
}

FailureDescription DescribeCurrentException() noexcept {
  FailureDescription failure;
  try {
    try {
      throw;
    } catch (const Error& e) {
      failure.hr = AsFailure(e.code());
      failure.description = e.description().empty() ? StandardDescription(e.code()) : e.description();
    } catch (const std::bad_alloc&) {
      failure.hr = E_OUTOFMEMORY;
      failure.description = StandardDescription(static_cast<std::uint32_t>(failure.hr));
    } catch (const std::exception& e) {
      failure.description = FromUtf8(e.what());
    } catch (...) {
      failure.description = StandardDescription(static_cast<std::uint32_t>(failure.hr));
    }
  } catch (...) {
    // No memory for the description: the HRESULT alone goes back.
  }
  return failure;
}

HRESULT ReportCurrentException(REFIID iid, const OLECHAR* source) noexcept {
  const FailureDescription failure = DescribeCurrentException();
  SetErrorInfoFor(iid, source, failure.description);
  return failure.hr;
}

}  // namespace host::com
