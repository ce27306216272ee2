#include "framework/Com.h"

#include "framework/Library.h"

namespace zv {
namespace {
constexpr char kOle[] = "ole32.dll";
}  // namespace

HRESULT ComInitialize() {
  static TLateProc<HRESULT WINAPI(LPVOID)> initialize(kOle, "CoInitialize");
  return initialize.Get() ? initialize.Get()(nullptr) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

void ComUninitialize() {
  static TLateProc<void WINAPI()> uninitialize(kOle, "CoUninitialize");
  if (uninitialize.Get()) uninitialize.Get()();
}

HRESULT ComCreateInstance(REFCLSID type, REFIID iid, void** object) {
  static TLateProc<HRESULT WINAPI(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)> create(kOle, "CoCreateInstance");
  if (!create.Get()) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  return create.Get()(type, nullptr, CLSCTX_INPROC_SERVER, iid, object);
}

}  // namespace zv
