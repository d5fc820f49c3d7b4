// AnalysisResults through COM: the instance is created by its class and
// interface identifiers, and its four operations are called by name through
// IDispatch, since their positions in the interface are not fixed. A failing
// COM call is returned as its (negative) HRESULT; otherwise the operation's
// value is its 8-bit status.
#include <windows.h>
#include <ole2.h>

#include <array>
#include <new>

#include "windows/platform/WindowsPlatform.h"

namespace ostrel::windows {

namespace {

// {D9F3B37A-D29A-40AA-9F54-87A4EACD2C03}
constexpr CLSID kClsidAnalysisResults = {
    0xD9F3B37A, 0xD29A, 0x40AA, {0x9F, 0x54, 0x87, 0xA4, 0xEA, 0xCD, 0x2C, 0x03}};
// {90FB789A-0995-4619-B62F-31E87D662B96}
constexpr IID kIidAnalysisResults = {
    0x90FB789A, 0x0995, 0x4619, {0xB6, 0x2F, 0x31, 0xE8, 0x7D, 0x66, 0x2B, 0x96}};

enum Operation { kResultsAvailable, kGetNodeDisplacement, kGetPlateElementForces,
                 kGetStiffenerElementForces, kOperations };
const wchar_t* const kNames[kOperations] = {L"ResultsAvailable", L"GetNodeDisplacement",
                                            L"GetPlateElementForces",
                                            L"GetStiffenerElementForces"};

struct Instance {
  IDispatch* dispatch = nullptr;
  std::array<DISPID, kOperations> ids{};
  std::array<bool, kOperations> known{};
};

void* Create(void* /*classContext*/) {
  void* pointer = nullptr;
  const HRESULT hr = CoCreateInstance(kClsidAnalysisResults, nullptr, CLSCTX_ALL,
                                      kIidAnalysisResults, &pointer);
  if (FAILED(hr) || pointer == nullptr) return nullptr;
  // The interface is a dispatch interface: its pointer is an IDispatch.
  auto* instance = new (std::nothrow) Instance;
  if (instance == nullptr) {
    static_cast<IDispatch*>(pointer)->Release();
    return nullptr;
  }
  instance->dispatch = static_cast<IDispatch*>(pointer);
  return instance;
}

void Release(void* opaque) {
  auto* instance = static_cast<Instance*>(opaque);
  // After the thread's apartment has ended (a host that uninitialised COM
  // before the thread's model went away) the pointer must not be used.
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (SUCCEEDED(CoGetApartmentType(&type, &qualifier))) instance->dispatch->Release();
  delete instance;
}

// Calls one operation; `args` in the operation's order (Invoke takes them
// reversed). Returns the HRESULT of a failing call, else the status byte.
int32_t Call(void* opaque, Operation op, VARIANTARG* args, UINT count) {
  auto* instance = static_cast<Instance*>(opaque);
  if (!instance->known[op]) {
    LPOLESTR name = const_cast<LPOLESTR>(kNames[op]);
    const HRESULT hr =
        instance->dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &instance->ids[op]);
    if (FAILED(hr)) return hr;
    instance->known[op] = true;
  }
  for (UINT i = 0; i < count / 2; ++i) std::swap(args[i], args[count - 1 - i]);
  DISPPARAMS params{args, nullptr, count, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  UINT argError = 0;
  HRESULT hr = instance->dispatch->Invoke(instance->ids[op], IID_NULL, LOCALE_USER_DEFAULT,
                                          DISPATCH_METHOD, &params, &result, &exception, &argError);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(exception.scode)) hr = exception.scode;
  }
  if (FAILED(hr)) return hr;
  hr = VariantChangeType(&result, &result, 0, VT_UI1);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  return result.bVal;
}

VARIANTARG Value(int16_t v) {
  VARIANTARG a;
  VariantInit(&a);
  a.vt = VT_I2;
  a.iVal = v;
  return a;
}

VARIANTARG Ref(float* v) {
  VARIANTARG a;
  VariantInit(&a);
  a.vt = VT_R4 | VT_BYREF;
  a.pfltVal = v;
  return a;
}

int32_t ResultsAvailable(void* instance, uint8_t* available) {
  VARIANTARG a;
  VariantInit(&a);
  a.vt = VT_UI1 | VT_BYREF;
  a.pbVal = available;
  return Call(instance, kResultsAvailable, &a, 1);
}

int32_t GetNodeDisplacement(void* instance, int16_t node, int16_t combo, float* dx, float* dy,
                            float* dz, float* rx, float* ry, float* rz) {
  VARIANTARG a[] = {Value(node), Value(combo), Ref(dx), Ref(dy), Ref(dz), Ref(rx), Ref(ry), Ref(rz)};
  return Call(instance, kGetNodeDisplacement, a, 8);
}

int32_t GetPlateElementForces(void* instance, int16_t element, int16_t combo, float* nx,
                              float* ny, float* nxy, float* mx, float* my, float* mxy) {
  VARIANTARG a[] = {Value(element), Value(combo), Ref(nx), Ref(ny), Ref(nxy), Ref(mx), Ref(my),
                    Ref(mxy)};
  return Call(instance, kGetPlateElementForces, a, 8);
}

int32_t GetStiffenerElementForces(void* instance, int16_t element, int16_t combo, float* p1,
                                  float* vy1, float* vz1, float* t1, float* my1, float* mz1,
                                  float* p2, float* vy2, float* vz2, float* t2, float* my2,
                                  float* mz2) {
  VARIANTARG a[] = {Value(element), Value(combo), Ref(p1), Ref(vy1), Ref(vz1), Ref(t1),
                    Ref(my1),       Ref(mz1),     Ref(p2), Ref(vy2), Ref(vz2), Ref(t2),
                    Ref(my2),       Ref(mz2)};
  return Call(instance, kGetStiffenerElementForces, a, 14);
}

}  // namespace

const OstrelAnalysisResultsClass& ComAnalysisResultsClass() {
  static const OstrelAnalysisResultsClass cls{&Create,
                                              &Release,
                                              &ResultsAvailable,
                                              &GetNodeDisplacement,
                                              &GetPlateElementForces,
                                              &GetStiffenerElementForces,
                                              nullptr};
  return cls;
}

}  // namespace ostrel::windows
