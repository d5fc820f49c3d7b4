// The in-process COM server: the four exports, the class factory of
// clsDesignCSA94 and the object behind its dual interface _clsDesignCSA94.
// Every method forwards to the component's C interface; IDispatch is the
// system's standard implementation driven by the embedded type library.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94_tlb.h"
#include "windows/platform/WindowsPlatform.h"

namespace {

HMODULE gModule = nullptr;
std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};

constexpr const wchar_t* kProgId = L"OstrelDesignCSA94.clsDesignCSA94";
constexpr const wchar_t* kClassName = L"clsDesignCSA94";

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(gModule, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// The type information of _clsDesignCSA94, loaded once from this module's
// embedded type library.
std::mutex gTypeInfoMutex;
ITypeInfo* gTypeInfo = nullptr;

HRESULT InterfaceTypeInfo(ITypeInfo** out) {
  std::lock_guard<std::mutex> lock(gTypeInfoMutex);
  if (gTypeInfo == nullptr) {
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    hr = lib->GetTypeInfoOfGuid(IID__clsDesignCSA94, &gTypeInfo);
    lib->Release();
    if (FAILED(hr)) return hr;
  }
  gTypeInfo->AddRef();
  *out = gTypeInfo;
  return S_OK;
}

// A text argument as the C interface takes it: the path in the system's
// ANSI code page, which is what the C library's file functions expect here.
std::string NarrowPath(const BSTR* text) {
  if (text == nullptr || *text == nullptr) return std::string();
  const int wide = static_cast<int>(SysStringLen(*text));
  if (wide == 0) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, *text, wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, *text, wide, out.data(), n, nullptr, nullptr);
  return out;
}

template <class... P>
bool AllSet(P*... p) {
  return ((p != nullptr) && ...);
}

class DesignObject final : public _clsDesignCSA94 {
 public:
  explicit DesignObject(clsDesignCSA94* obj) : obj_(obj) { ++gObjects; }
  ~DesignObject() {
    clsDesignCSA94_Release(obj_);
    if (typeInfo_ != nullptr) typeInfo_->Release();
    --gObjects;
  }
  DesignObject(const DesignObject&) = delete;
  DesignObject& operator=(const DesignObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID__clsDesignCSA94)) {
      *ppv = static_cast<_clsDesignCSA94*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long n = --refs_;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IDispatch, from the type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return InterfaceTypeInfo(info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = TypeInfo();
    if (info == nullptr) return E_UNEXPECTED;
    return DispGetIDsOfNames(info, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = TypeInfo();
    if (info == nullptr) return E_UNEXPECTED;
    return DispInvoke(static_cast<_clsDesignCSA94*>(this), info, id, flags, params, result, excep,
                      argErr);
  }

  // _clsDesignCSA94: run control.
  HRESULT STDMETHODCALLTYPE RunDesign(unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    ostrel::windows::RunScope scope;
    *result = clsDesignCSA94_RunDesign(obj_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ResetDesign(unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_ResetDesign(obj_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DesignDone(unsigned char* flag, unsigned char* result) override {
    if (!AllSet(flag, result)) return E_POINTER;
    *result = clsDesignCSA94_DesignDone(obj_, flag);
    return S_OK;
  }

  // Model input.
  HRESULT STDMETHODCALLTYPE SetUnits(unsigned char bt_units, unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetUnits(obj_, bt_units);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetNumberOfNodes(LONG n, unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetNumberOfNodes(obj_, n);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetNumberOfPlateElements(LONG n, unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetNumberOfPlateElements(obj_, n);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetPlateElementProperties(LONG e, float t, float fc, float fy,
                                                      float es, float minX, float maxX, float minY,
                                                      float maxY, unsigned char curtains,
                                                      float coverX, float coverY,
                                                      unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetPlateElementProperties(obj_, e, t, fc, fy, es, minX, maxX, minY,
                                                       maxY, curtains, coverX, coverY);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetNumberOfStiffenerElements(LONG n, unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetNumberOfStiffenerElements(obj_, n);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetStiffenerElementProperties(
      LONG e, unsigned char type, unsigned char projection, float w, float h, float bl, float tl,
      float br, float tr, float fc, float density, float fy, float es, float minR, float maxR,
      unsigned char rft, float cz, float cy, float czst, float cyst, unsigned char asColumn,
      unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetStiffenerElementProperties(obj_, e, type, projection, w, h, bl, tl,
                                                           br, tr, fc, density, fy, es, minR, maxR,
                                                           rft, cz, cy, czst, cyst, asColumn);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetNumberOfLoadCombinations(LONG n, unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetNumberOfLoadCombinations(obj_, n);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetComboType(short combo, unsigned char type,
                                         unsigned char* result) override {
    if (result == nullptr) return E_POINTER;
    *result = clsDesignCSA94_SetComboType(obj_, combo, type);
    return S_OK;
  }

  // Result queries.
  HRESULT STDMETHODCALLTYPE Get_Envelope_Displacement(LONG n, float* a, short* ac, float* b,
                                                      short* bc, float* c, short* cc, float* d,
                                                      short* dc, float* e, short* ec, float* f,
                                                      short* fc, unsigned char* result) override {
    if (!AllSet(a, ac, b, bc, c, cc, d, dc, e, ec, f, fc, result)) return E_POINTER;
    *result =
        clsDesignCSA94_Get_Envelope_Displacement(obj_, n, a, ac, b, bc, c, cc, d, dc, e, ec, f, fc);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get_Envelope_PlateFlexureRFT(
      LONG n, unsigned char* curtains, float* asx, float* rx, float* mx, float* px, short* cx,
      unsigned char* sx, float* asy, float* ry, float* my, float* py, short* cy, unsigned char* sy,
      unsigned char* result) override {
    if (!AllSet(curtains, asx, rx, mx, px, cx, sx, asy, ry, my, py, cy, sy, result))
      return E_POINTER;
    *result = clsDesignCSA94_Get_Envelope_PlateFlexureRFT(obj_, n, curtains, asx, rx, mx, px, cx,
                                                          sx, asy, ry, my, py, cy, sy);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get_Envelope_StiffernerFlexureRFT(LONG n, float* as, float* ratio,
                                                              short* combo, float* muy, float* muz,
                                                              float* pu, unsigned char* status,
                                                              unsigned char* result) override {
    if (!AllSet(as, ratio, combo, muy, muz, pu, status, result)) return E_POINTER;
    *result = clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(obj_, n, as, ratio, combo, muy, muz,
                                                               pu, status);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get_Envelope_StiffernerShearRFT(
      LONG n, float* avy, short* cy, float* puy, float* vuy, float* tuy, float* sy, float* avz,
      short* cz, float* puz, float* vuz, float* tuz, float* sz, unsigned char* status,
      unsigned char* result) override {
    if (!AllSet(avy, cy, puy, vuy, tuy, sy, avz, cz, puz, vuz, tuz, sz, status, result))
      return E_POINTER;
    *result = clsDesignCSA94_Get_Envelope_StiffernerShearRFT(obj_, n, avy, cy, puy, vuy, tuy, sy,
                                                             avz, cz, puz, vuz, tuz, sz, status);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get_Envelope_StiffernerTorsionRFT(
      LONG n, float* at, float* al, short* combo, float* pu, float* vu, float* tu, float* s,
      unsigned char* direction, unsigned char* status, unsigned char* result) override {
    if (!AllSet(at, al, combo, pu, vu, tu, s, direction, status, result)) return E_POINTER;
    *result = clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(obj_, n, at, al, combo, pu, vu, tu,
                                                               s, direction, status);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Get_Envelope_StiffernerRFTSummary(
      LONG n, float* as, float* al, float* avy, float* avz, float* at, float* spacing,
      unsigned char* flex, unsigned char* shear, unsigned char* result) override {
    if (!AllSet(as, al, avy, avz, at, spacing, flex, shear, result)) return E_POINTER;
    *result = clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(obj_, n, as, al, avy, avz, at,
                                                               spacing, flex, shear);
    return S_OK;
  }

  // Design results file. The path is in/out and left unchanged.
  HRESULT STDMETHODCALLTYPE ReadResults(BSTR* path, LONG offset, unsigned char* result) override {
    if (!AllSet(path, result)) return E_POINTER;
    const std::string narrow = NarrowPath(path);
    *result = clsDesignCSA94_ReadResults(obj_, narrow.c_str(), offset);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SaveResults(BSTR* path, LONG* offset, unsigned char* result) override {
    if (!AllSet(path, offset, result)) return E_POINTER;
    const std::string narrow = NarrowPath(path);
    int32_t position = *offset;
    *result = clsDesignCSA94_SaveResults(obj_, narrow.c_str(), &position);
    *offset = position;
    return S_OK;
  }

 private:
  ITypeInfo* TypeInfo() {
    if (typeInfo_ == nullptr && FAILED(InterfaceTypeInfo(&typeInfo_))) typeInfo_ = nullptr;
    return typeInfo_;
  }

  std::atomic<long> refs_{1};
  clsDesignCSA94* obj_;
  ITypeInfo* typeInfo_ = nullptr;
};

class DesignClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is a static object: its life is the module's.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (!ostrel::windows::InstallPlatform(gModule)) return E_OUTOFMEMORY;
    clsDesignCSA94* obj = clsDesignCSA94_Create();
    if (obj == nullptr) return E_OUTOFMEMORY;
    DesignObject* object = new (std::nothrow) DesignObject(obj);
    if (object == nullptr) {
      clsDesignCSA94_Release(obj);
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ++gLocks;
    } else {
      --gLocks;
    }
    return S_OK;
  }
};

DesignClassFactory gFactory;

// Registry values under HKEY_CLASSES_ROOT; each key below is removed whole on
// unregistration.
LSTATUS SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_clsDesignCSA94); }

HRESULT Unregister() {
  // Missing keys are not an error: unregistering twice is harmless.
  HRESULT hr = UnRegisterTypeLib(LIBID_OstrelDesignCSA94, 1, 0, 0x409, SYS_WIN64);
  if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED) hr = S_OK;
  for (const std::wstring& key : {ClassKey(), std::wstring(kProgId)}) {
    const LSTATUS s = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND && SUCCEEDED(hr)) hr = SELFREG_E_CLASS;
  }
  return hr;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_clsDesignCSA94)) return CLASS_E_CLASSNOTAVAILABLE;
  return gFactory.QueryInterface(riid, ppv);
}

HRESULT WINAPI DllCanUnloadNow(void) {
  return gObjects.load() == 0 && gLocks.load() == 0 ? S_OK : S_FALSE;
}

HRESULT WINAPI DllRegisterServer(void) {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
  if (SUCCEEDED(hr)) {
    hr = RegisterTypeLib(lib, const_cast<LPOLESTR>(path.c_str()), nullptr);
    lib->Release();
  }
  if (FAILED(hr)) {
    Unregister();
    return SELFREG_E_TYPELIB;
  }
  const std::wstring cls = ClassKey();
  const std::wstring progId = kProgId;
  const LSTATUS failed =
      SetValue(cls, nullptr, kClassName) | SetValue(cls + L"\\InprocServer32", nullptr, path) |
      SetValue(cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment") |
      SetValue(cls + L"\\ProgID", nullptr, progId) |
      SetValue(cls + L"\\TypeLib", nullptr, GuidText(LIBID_OstrelDesignCSA94)) |
      SetValue(cls + L"\\VERSION", nullptr, L"1.0") | SetValue(progId, nullptr, kClassName) |
      SetValue(progId + L"\\CLSID", nullptr, GuidText(CLSID_clsDesignCSA94));
  if (failed != ERROR_SUCCESS) {
    Unregister();
    return SELFREG_E_CLASS;
  }
  return S_OK;
}

HRESULT WINAPI DllUnregisterServer(void) { return Unregister(); }

}  // extern "C"
