// The test AnalysisResults server (an in-process COM DLL): serves the
// displacements and forces of one golden model, and on request a failing
// operation (status 1), no results, or a failed call (negative HRESULT).
// Its state is process-wide, so the test client sets it through an instance
// of its own while the component uses the instance it created.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <mutex>
#include <string>

#include "GoldenModelFile.h"
#include "TestAnalysisResults_tlb.h"

namespace {

HMODULE gModule = nullptr;
std::atomic<long> gObjects{0};

// What the client asked for (process-wide).
enum Fault : long {
  kNoFault = 0,
  kAvailableStatus1 = 1,   // ResultsAvailable returns status 1
  kNoResults = 2,          // ResultsAvailable reports no results
  kAvailableFails = 3,     // ResultsAvailable fails with E_FAIL
  kPlateStatus1 = 4,       // GetPlateElementForces returns 1 for the element
  kStiffenerFails = 5,     // GetStiffenerElementForces fails with E_FAIL for the element
};
std::mutex gMutex;
ostrel::wintest::Model gModel;
long gFault = kNoFault, gFaultElement = 0, gDelayMs = 0;
std::atomic<long> gCalls{0};

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(gModule, path, MAX_PATH);
  return path;
}

template <size_t N>
unsigned char Serve(const std::map<std::pair<int, int>, std::array<float, N>>& table, short item,
                    short combo, float* const (&out)[N]) {
  const auto it = table.find({item, combo});
  if (it == table.end()) return 1;
  for (size_t i = 0; i < N; ++i) *out[i] = it->second[i];
  return 0;
}

class AnalysisResults final : public _AnalysisResults {
 public:
  AnalysisResults() { ++gObjects; }
  ~AnalysisResults() {
    if (info_ != nullptr) info_->Release();
    --gObjects;
  }
  AnalysisResults(const AnalysisResults&) = delete;
  AnalysisResults& operator=(const AnalysisResults&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID__AnalysisResults)) {
      *ppv = static_cast<_AnalysisResults*>(this);
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

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (Info() == nullptr) return E_FAIL;
    info_->AddRef();
    *info = info_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID,
                                          DISPID* ids) override {
    return Info() == nullptr ? E_FAIL : DispGetIDsOfNames(info_, names, n, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    if (Info() == nullptr) return E_FAIL;
    return DispInvoke(static_cast<_AnalysisResults*>(this), info_, id, flags, params, result,
                      excep, argErr);
  }

  // Test control.
  HRESULT STDMETHODCALLTYPE LoadModel(BSTR file, LONG index, LONG* result) override {
    std::string path;
    for (const wchar_t* c = file; c != nullptr && *c != 0; ++c) path += static_cast<char>(*c);
    const auto models = ostrel::wintest::ReadModels(path);
    std::lock_guard<std::mutex> lock(gMutex);
    *result = index >= 0 && index < static_cast<LONG>(models.size()) ? 1 : 0;
    if (*result != 0) gModel = models[static_cast<size_t>(index)];
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFault(LONG fault, LONG element, LONG delayMs,
                                     LONG* result) override {
    std::lock_guard<std::mutex> lock(gMutex);
    gFault = fault, gFaultElement = element, gDelayMs = delayMs;
    *result = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CallCount(LONG* result) override {
    *result = gCalls.load();
    return S_OK;
  }

  // The four operations.
  HRESULT STDMETHODCALLTYPE ResultsAvailable(unsigned char* available,
                                             unsigned char* result) override {
    Count();
    std::lock_guard<std::mutex> lock(gMutex);
    if (gFault == kAvailableFails) return E_FAIL;
    *available = gFault == kNoResults ? 0 : 1;
    *result = gFault == kAvailableStatus1 ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetNodeDisplacement(short node, short combo, float* dx, float* dy,
                                                float* dz, float* rx, float* ry, float* rz,
                                                unsigned char* result) override {
    Count();
    std::lock_guard<std::mutex> lock(gMutex);
    *rx = *ry = *rz = 0;
    *result = Serve(gModel.displacements, node, combo, {dx, dy, dz});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPlateElementForces(short element, short combo, float* nx,
                                                  float* ny, float* nxy, float* mx, float* my,
                                                  float* mxy, unsigned char* result) override {
    Count();
    std::lock_guard<std::mutex> lock(gMutex);
    *result = gFault == kPlateStatus1 && element == gFaultElement
                  ? 1
                  : Serve(gModel.plateForces, element, combo, {nx, ny, nxy, mx, my, mxy});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetStiffenerElementForces(
      short element, short combo, float* p1, float* vy1, float* vz1, float* t1, float* my1,
      float* mz1, float* p2, float* vy2, float* vz2, float* t2, float* my2, float* mz2,
      unsigned char* result) override {
    Count();
    std::lock_guard<std::mutex> lock(gMutex);
    if (gFault == kStiffenerFails && element == gFaultElement) return E_FAIL;
    *result = Serve(gModel.stiffenerForces, element, combo,
                    {p1, vy1, vz1, t1, my1, mz1, p2, vy2, vz2, t2, my2, mz2});
    return S_OK;
  }

 private:
  static void Count() {
    ++gCalls;
    long delay = 0;
    {
      std::lock_guard<std::mutex> lock(gMutex);
      delay = gDelayMs;
    }
    if (delay > 0) Sleep(static_cast<DWORD>(delay));
  }
  ITypeInfo* Info() {
    if (info_ == nullptr) {
      ITypeLib* lib = nullptr;
      if (SUCCEEDED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &lib))) {
        lib->GetTypeInfoOfGuid(IID__AnalysisResults, &info_);
        lib->Release();
      }
    }
    return info_;
  }

  std::atomic<long> refs_{1};
  ITypeInfo* info_ = nullptr;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) AnalysisResults;
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory gFactory;

const wchar_t* const kClassKey = L"CLSID\\{D9F3B37A-D29A-40AA-9F54-87A4EACD2C03}";

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) gModule = instance;
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!IsEqualCLSID(clsid, CLSID_AnalysisResults)) return CLASS_E_CLASSNOTAVAILABLE;
  return gFactory.QueryInterface(riid, ppv);
}

HRESULT WINAPI DllCanUnloadNow(void) { return gObjects.load() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer(void) {
  const std::wstring key = std::wstring(kClassKey) + L"\\InprocServer32";
  const std::wstring path = ModulePath();
  LSTATUS s = RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, path.c_str(),
                              static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  const wchar_t apartment[] = L"Apartment";
  s |= RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), L"ThreadingModel", REG_SZ, apartment,
                       sizeof apartment);
  return s == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

HRESULT WINAPI DllUnregisterServer(void) {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
  return S_OK;
}

}  // extern "C"
