// The Windows test client, run under Wine after regsvr32 has registered the
// component and the test AnalysisResults server:
//   golden MODELS GOLDEN   every golden model through the interface's table
//                          and through IDispatch::Invoke, every query output
//                          compared with the golden data; the failure paths
//                          of AnalysisResults; identities and unloading
//   window MODELS BMP      one slow run whose window a person (xdotool)
//                          suspends, continues, suspends again and cancels;
//                          checks what the window showed, saves a screenshot
//   trig FILE              CrSin, CrCos and CrAtan built with MinGW give the
//                          bits the Linux build wrote into FILE
//   unregistered           no key the registration wrote is left
// Prints one line per failed check and exits 1 if there was any.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "GoldenModelFile.h"
#include "model/CrMath.h"
#include "OstrelDesignCSA94_tlb.h"
#include "TestAnalysisResults_tlb.h"

namespace {

using ostrel::wintest::Model;

int gFailures = 0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++gFailures;
    std::printf("FAILED: %s\n", what.c_str());
    std::fflush(stdout);
  }
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += static_cast<char>(c);
  return out;
}

// ---- The component, through its table or through IDispatch ----------------

VARIANTARG Arg(int32_t v) { VARIANTARG a; VariantInit(&a); a.vt = VT_I4; a.lVal = v; return a; }
VARIANTARG Arg(float v) { VARIANTARG a; VariantInit(&a); a.vt = VT_R4; a.fltVal = v; return a; }
VARIANTARG Arg(uint8_t v) { VARIANTARG a; VariantInit(&a); a.vt = VT_UI1; a.bVal = v; return a; }
VARIANTARG Arg(int16_t v) { VARIANTARG a; VariantInit(&a); a.vt = VT_I2; a.iVal = v; return a; }
VARIANTARG Arg(float* v) { VARIANTARG a; VariantInit(&a); a.vt = VT_R4 | VT_BYREF; a.pfltVal = v; return a; }
VARIANTARG Arg(int16_t* v) { VARIANTARG a; VariantInit(&a); a.vt = VT_I2 | VT_BYREF; a.piVal = v; return a; }
VARIANTARG Arg(uint8_t* v) { VARIANTARG a; VariantInit(&a); a.vt = VT_UI1 | VT_BYREF; a.pbVal = v; return a; }
VARIANTARG Arg(LONG* v) { VARIANTARG a; VariantInit(&a); a.vt = VT_I4 | VT_BYREF; a.plVal = v; return a; }
VARIANTARG Arg(BSTR* v) { VARIANTARG a; VariantInit(&a); a.vt = VT_BSTR | VT_BYREF; a.pbstrVal = v; return a; }

class Design {
 public:
  Design(_clsDesignCSA94* table, bool viaDispatch) : p_(table), dispatch_(viaDispatch) {}

#define OSTREL_METHOD(name, index)                         \
  template <class... A>                                    \
  uint8_t name(A... a) {                                   \
    return Do(index, #name, &_clsDesignCSA94::name, a...); \
  }
  OSTREL_METHOD(RunDesign, 0)
  OSTREL_METHOD(ResetDesign, 1)
  OSTREL_METHOD(DesignDone, 2)
  OSTREL_METHOD(SetUnits, 3)
  OSTREL_METHOD(SetNumberOfNodes, 4)
  OSTREL_METHOD(SetNumberOfPlateElements, 5)
  OSTREL_METHOD(SetPlateElementProperties, 6)
  OSTREL_METHOD(SetNumberOfStiffenerElements, 7)
  OSTREL_METHOD(SetStiffenerElementProperties, 8)
  OSTREL_METHOD(SetNumberOfLoadCombinations, 9)
  OSTREL_METHOD(SetComboType, 10)
  OSTREL_METHOD(Get_Envelope_Displacement, 11)
  OSTREL_METHOD(Get_Envelope_PlateFlexureRFT, 12)
  OSTREL_METHOD(Get_Envelope_StiffernerFlexureRFT, 13)
  OSTREL_METHOD(Get_Envelope_StiffernerShearRFT, 14)
  OSTREL_METHOD(Get_Envelope_StiffernerTorsionRFT, 15)
  OSTREL_METHOD(Get_Envelope_StiffernerRFTSummary, 16)
  OSTREL_METHOD(ReadResults, 17)
  OSTREL_METHOD(SaveResults, 18)
#undef OSTREL_METHOD

 private:
  template <class Member, class... A>
  uint8_t Do(int index, const char* name, Member member, A... a) {
    uint8_t result = 0xEE;
    HRESULT hr;
    if (!dispatch_) {
      hr = (p_->*member)(a..., &result);
    } else {
      // Invoke takes the arguments last to first.
      VARIANTARG args[] = {Arg(a)..., Arg(uint8_t{0})};
      const UINT n = sizeof...(A);
      for (UINT i = 0; i < n / 2; ++i) std::swap(args[i], args[n - 1 - i]);
      DISPPARAMS params{n ? args : nullptr, nullptr, n, 0};
      VARIANT value;
      VariantInit(&value);
      hr = p_->Invoke(0x60030000 + index, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                      &value, nullptr, nullptr);
      Check(FAILED(hr) || value.vt == VT_UI1,
            std::string(name) + " through Invoke returned type " + std::to_string(value.vt));
      result = value.bVal;
    }
    Check(hr == S_OK, std::string(name) + (dispatch_ ? " (Invoke)" : " (table)") + " HRESULT " +
                          std::to_string(static_cast<long>(hr)));
    return result;
  }

  _clsDesignCSA94* p_;
  bool dispatch_;
};

// ---- The automated person: answers message boxes and closes the window ----

constexpr const wchar_t* kWindowClass = L"OstrelDesignCSA94.frmDesign";
constexpr const wchar_t* kWindowCaption = L"Ostrel (Design - CSA A23.3-94)";

std::wstring Text(HWND hwnd) {
  wchar_t buf[512] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_BLOCK, 2000, &n);
  return buf;
}

// The longest static text of a message box is its message.
std::wstring MessageText(HWND box) {
  std::wstring best;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0) {
          std::wstring t = Text(child);
          auto* out = reinterpret_cast<std::wstring*>(data);
          if (t.size() > out->size()) *out = t;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&best));
  return best;
}

struct ButtonState {
  std::wstring caption1;
  bool enabled1 = false, enabled2 = false;
  bool operator==(const ButtonState&) const = default;
};

ButtonState ReadButtons(HWND window) {
  HWND c1 = GetDlgItem(window, 1), c2 = GetDlgItem(window, 2);
  return {Text(c1), IsWindowEnabled(c1) != FALSE, IsWindowEnabled(c2) != FALSE};
}

class Person {
 public:
  using Look = std::function<void(HWND, const ButtonState&)>;
  // closeWindow: press Close (or Cancel after a failed run) once the run ends;
  // onLook: called on the person's thread at each look at the window.
  explicit Person(bool closeWindow, Look onLook = {})
      : closeWindow_(closeWindow), onLook_(std::move(onLook)), thread_([this] { Loop(); }) {}
  ~Person() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> TakeMessages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(messages_, {});
  }
  std::vector<ButtonState> States() {
    std::lock_guard<std::mutex> lock(mutex_);
    return states_;
  }

 private:
  void Loop() {
    while (!stop_) {
      if (HWND box = FindWindowW(L"#32770", L"OstrelDesignCSA94"); box && IsWindowVisible(box)) {
        const std::string text = Narrow(MessageText(box));
        {
          std::lock_guard<std::mutex> lock(mutex_);
          messages_.push_back(text);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (!stop_ && IsWindow(box)) Sleep(10);
      }
      if (HWND w = FindWindowW(kWindowClass, kWindowCaption); w && IsWindowVisible(w)) {
        const ButtonState s = ReadButtons(w);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          if (states_.empty() || !(states_.back() == s)) states_.push_back(s);
        }
        if (onLook_) onLook_(w, s);
        if (closeWindow_) {
          const int button = s.caption1 == L"&Close" && s.enabled1  ? 1
                             : s.caption1 == L"Close" && !s.enabled1 ? 2
                                                                     : 0;
          if (button != 0)
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(w, button)));
        }
      }
      Sleep(20);
    }
  }

  bool closeWindow_;
  Look onLook_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> messages_;
  std::vector<ButtonState> states_;
  std::thread thread_;
};

// ---- Golden models ---------------------------------------------------------

class Line {
 public:
  explicit Line(std::string head) : text_(std::move(head)) {}
  Line& F(float v) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    char buf[48];
    std::snprintf(buf, sizeof buf, " %08" PRIx32 "=%.9g", bits, static_cast<double>(v));
    return text_ += buf, *this;
  }
  Line& F(const float* v, int n) {
    for (int k = 0; k < n; ++k) F(v[k]);
    return *this;
  }
  Line& I(long v) { return text_ += ' ' + std::to_string(v), *this; }
  Line& Tag(const char* t) { return text_ += std::string(" ") + t, *this; }
  std::string str() const { return text_; }

 private:
  std::string text_;
};

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

void SendModel(Design& d, const Model& m) {
  int refused = d.SetUnits(static_cast<uint8_t>(m.units));
  refused += d.SetNumberOfNodes(int32_t{m.nodes});
  refused += d.SetNumberOfLoadCombinations(static_cast<int32_t>(m.comboTypes.size()));
  for (size_t k = 0; k < m.comboTypes.size(); ++k)
    refused += d.SetComboType(static_cast<int16_t>(k + 1), static_cast<uint8_t>(m.comboTypes[k]));
  refused += d.SetNumberOfPlateElements(static_cast<int32_t>(m.plates.size()));
  int32_t e = 0;
  for (const auto& p : m.plates)
    refused += d.SetPlateElementProperties(++e, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7],
                                           static_cast<uint8_t>(p[8]), p[9], p[10]);
  refused += d.SetNumberOfStiffenerElements(static_cast<int32_t>(m.stiffeners.size()));
  e = 0;
  for (const auto& s : m.stiffeners)
    refused += d.SetStiffenerElementProperties(
        ++e, static_cast<uint8_t>(s[0]), static_cast<uint8_t>(s[1]), s[2], s[3], s[4], s[5], s[6],
        s[7], s[8], s[9], s[10], s[11], s[12], s[13], static_cast<uint8_t>(s[14]), s[15], s[16],
        s[17], s[18], uint8_t{0});
  Check(refused == 0, m.name + ": inputs refused");
}

// Every query output, one line per query, as the golden data writes them.
std::vector<std::string> QueryAll(Design& d, const Model& m) {
  std::vector<std::string> out;
  int refused = 0;
  for (int32_t n = 1; n <= m.nodes; ++n) {
    float v[6] = {};
    int16_t c[6] = {};
    refused += d.Get_Envelope_Displacement(n, &v[0], &c[0], &v[1], &c[1], &v[2], &c[2], &v[3],
                                           &c[3], &v[4], &c[4], &v[5], &c[5]);
    Line line("node " + std::to_string(n));
    for (int i = 0; i < 6; ++i) line.F(v[i]).I(c[i]);
    out.push_back(line.str());
  }
  for (int32_t e = 1; e <= static_cast<int32_t>(m.plates.size()); ++e) {
    uint8_t b[3] = {};
    float v[8] = {};
    int16_t cx = 0, cy = 0;
    refused += d.Get_Envelope_PlateFlexureRFT(e, &b[0], &v[0], &v[1], &v[2], &v[3], &cx, &b[1],
                                              &v[4], &v[5], &v[6], &v[7], &cy, &b[2]);
    out.push_back(Line("plate " + std::to_string(e)).I(b[0]).Tag("x").F(v, 4).I(cx).I(b[1])
                      .Tag("y").F(v + 4, 4).I(cy).I(b[2]).str());
  }
  for (int32_t e = 1; e <= static_cast<int32_t>(m.stiffeners.size()); ++e) {
    const std::string id = std::to_string(e);
    float v[16] = {};
    int16_t c[4] = {};
    uint8_t b[6] = {};
    refused += d.Get_Envelope_StiffernerFlexureRFT(e, &v[0], &v[1], &c[0], &v[2], &v[3], &v[4],
                                                   &b[0]);
    out.push_back(Line("sflex " + id).F(v, 2).I(c[0]).F(v + 2, 3).I(b[0]).str());
    refused += d.Get_Envelope_StiffernerShearRFT(e, &v[0], &c[0], &v[1], &v[2], &v[3], &v[4],
                                                 &v[5], &c[1], &v[6], &v[7], &v[8], &v[9], &b[0]);
    out.push_back(Line("sshear " + id).Tag("y").F(v[0]).I(c[0]).F(v + 1, 4).Tag("z").F(v[5])
                      .I(c[1]).F(v + 6, 4).I(b[0]).str());
    refused += d.Get_Envelope_StiffernerTorsionRFT(e, &v[0], &v[1], &c[0], &v[2], &v[3], &v[4],
                                                   &v[5], &b[0], &b[1]);
    out.push_back(Line("stors " + id).F(v, 2).I(c[0]).F(v + 2, 4).I(b[0]).I(b[1]).str());
    refused += d.Get_Envelope_StiffernerRFTSummary(e, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                                                   &b[0], &b[1]);
    out.push_back(Line("ssum " + id).F(v, 6).I(b[0]).I(b[1]).str());
  }
  Check(refused == 0, m.name + ": queries refused");
  return out;
}

// The saved results block's length and hash line, through SaveResults.
std::string BlockLine(Design& d, const std::string& name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"ostrel-golden-" + Wide(name) + L".bin";
  DeleteFileW(path.c_str());
  BSTR text = SysAllocString(path.c_str());
  LONG offset = 0;
  const uint8_t r = d.SaveResults(&text, &offset);
  SysFreeString(text);
  Check(r == 0 && offset == 1, name + ": SaveResults");
  std::ifstream in(path.c_str(), std::ios::binary);
  const std::string block((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileW(path.c_str());
  char buf[128];
  std::snprintf(buf, sizeof buf, "block length %zu hash %016" PRIx64, block.size(), Fnv1a(block));
  return buf;
}

// The golden data's lines of one model, from its header to the next model.
std::vector<std::string> GoldenLines(const std::string& file, const std::string& name) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("model ", 0) == 0) inside = line.rfind("model " + name + " ", 0) == 0;
    if (inside && line.rfind("block ", 0) != 0 && line.rfind("model ", 0) != 0)
      lines.push_back(line);
    if (inside && line.rfind("block length ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

_AnalysisResults* Server() {
  _AnalysisResults* server = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_AnalysisResults, nullptr, CLSCTX_INPROC_SERVER,
                                      IID__AnalysisResults, reinterpret_cast<void**>(&server));
  Check(SUCCEEDED(hr), "test AnalysisResults server created");
  return server;
}

void Control(_AnalysisResults* server, long fault, long element, long delayMs) {
  LONG r = 0;
  server->SetFault(fault, element, delayMs, &r);
}

void LoadModel(_AnalysisResults* server, const std::string& modelsFile, int index) {
  BSTR file = SysAllocString(Wide(modelsFile).c_str());
  LONG loaded = 0;
  server->LoadModel(file, index, &loaded);
  SysFreeString(file);
  Check(loaded == 1, "model " + std::to_string(index) + " loaded by the test server");
}

int DesignGolden(Design& d, const Model& m, const std::string& goldenFile, const char* how) {
  SendModel(d, m);
  uint8_t done = 0;
  const uint8_t run = d.RunDesign();
  d.DesignDone(&done);
  Check(run == 0 && done == 1, m.name + " " + how + ": run completed");
  std::vector<std::string> lines = QueryAll(d, m);
  lines.push_back(BlockLine(d, m.name));
  const std::vector<std::string> golden = GoldenLines(goldenFile, m.name);
  Check(lines.size() == golden.size(), m.name + " " + how + ": " + std::to_string(lines.size()) +
                                           " result lines, golden data has " +
                                           std::to_string(golden.size()));
  int differing = 0;
  for (size_t i = 0; i < lines.size() && i < golden.size(); ++i) {
    if (lines[i] != golden[i] && differing++ == 0)
      Check(false, m.name + " " + how + ": first difference:\n  got    " + lines[i] +
                       "\n  golden " + golden[i]);
  }
  return static_cast<int>(lines.size()) - differing;
}

int Golden(const std::string& modelsFile, const std::string& goldenFile) {
  const auto models = ostrel::wintest::ReadModels(modelsFile);
  Check(models.size() == 4, "four golden models read");

  // Identities: the class identifier and the ProgID reach the same class.
  CLSID fromProgId{};
  Check(SUCCEEDED(CLSIDFromProgID(L"OstrelDesignCSA94.clsDesignCSA94", &fromProgId)) &&
            IsEqualCLSID(fromProgId, CLSID_clsDesignCSA94),
        "ProgID names the class identifier");
  _clsDesignCSA94* table = nullptr;
  Check(SUCCEEDED(CoCreateInstance(CLSID_clsDesignCSA94, nullptr, CLSCTX_INPROC_SERVER,
                                   IID__clsDesignCSA94, reinterpret_cast<void**>(&table))),
        "created by class identifier");
  IDispatch* byProgId = nullptr;
  Check(SUCCEEDED(CoCreateInstance(fromProgId, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&byProgId))),
        "created by ProgID");
  if (table == nullptr || byProgId == nullptr) return 1;
  _clsDesignCSA94* dispatchTable = nullptr;
  byProgId->QueryInterface(IID__clsDesignCSA94, reinterpret_cast<void**>(&dispatchTable));

  // The names find the dispatch identifiers in interface order.
  const wchar_t* names[] = {L"RunDesign", L"SetUnits", L"Get_Envelope_StiffernerRFTSummary",
                            L"SaveResults"};
  const DISPID expected[] = {0x60030000, 0x60030003, 0x60030010, 0x60030012};
  for (int i = 0; i < 4; ++i) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(names[i]);
    byProgId->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    Check(id == expected[i], "dispatch identifier of " + Narrow(names[i]));
  }

  // The registered type library: its version and locale, and the status enumeration.
  ITypeLib* lib = nullptr;
  Check(SUCCEEDED(LoadRegTypeLib(LIBID_OstrelDesignCSA94, 1, 0, 0x409, &lib)),
        "type library 1.0, locale 0x409 registered");
  if (lib != nullptr) {
    const GUID statusEnum = {0xEC218C12, 0x45C0, 0x44A6,
                             {0x92, 0x5B, 0x79, 0xB5, 0x1D, 0x34, 0xF0, 0x51}};
    ITypeInfo* info = nullptr;
    TYPEATTR* attr = nullptr;
    VARDESC* var = nullptr;
    BSTR name = nullptr;
    UINT got = 0;
    Check(SUCCEEDED(lib->GetTypeInfoOfGuid(statusEnum, &info)) &&
              SUCCEEDED(info->GetTypeAttr(&attr)) && attr->typekind == TKIND_ENUM &&
              attr->cVars == 9 && SUCCEEDED(info->GetVarDesc(7, &var)) &&
              var->lpvarValue->lVal == 7 &&
              SUCCEEDED(info->GetNames(var->memid, &name, 1, &got)) &&
              Narrow(name) == "Fail_ShearStreessExceedMaximum_y",
          "enum_DESIGN_STATUS in the type library");
    SysFreeString(name);
    if (var != nullptr) info->ReleaseVarDesc(var);
    if (attr != nullptr) info->ReleaseTypeAttr(attr);
    if (info != nullptr) info->Release();
    lib->Release();
  }

  HMODULE component = GetModuleHandleW(L"OstrelDesignCSA94.dll");
  auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(component, "DllCanUnloadNow")));
  Check(canUnload != nullptr && canUnload() == S_FALSE, "DllCanUnloadNow S_FALSE while objects live");

  _AnalysisResults* server = Server();
  if (server == nullptr) return 1;
  Person person(true);
  int compared = 0;
  for (int i = 0; i < 4 && i < static_cast<int>(models.size()); ++i) {
    LoadModel(server, modelsFile, i);
    Design viaTable(table, false);
    compared += DesignGolden(viaTable, models[i], goldenFile, "table");
    Design viaInvoke(dispatchTable, true);
    compared += DesignGolden(viaInvoke, models[i], goldenFile, "IDispatch::Invoke");
  }
  std::printf("golden: %d result lines equal bit for bit\n", compared);
  Check(person.TakeMessages().empty(), "no message box during the golden runs");

  // The failure paths of AnalysisResults, as on Linux.
  LoadModel(server, modelsFile, 0);
  Design d(table, false);
  struct Case {
    long fault, element;
    uint8_t run, done;
    std::vector<std::string> messages;
  } cases[] = {
      {1, 0, 1, 0, {}},
      {2, 0, 1, 0, {"Analysis results are not available"}},
      {3, 0, 1, 0, {"clsWallDesign::RunDesign: Unexpected error"}},
      {4, 7, 0, 0, {}},
      {5, 3, 0, 0,
       {"modDesign::WallDesign- unexpected error during Calculating stiffener element "
        "reinforcement"}},
  };
  for (const Case& c : cases) {
    d.ResetDesign();
    SendModel(d, models[0]);
    Control(server, c.fault, c.element, 0);
    uint8_t done = 9;
    const uint8_t run = d.RunDesign();
    d.DesignDone(&done);
    const std::vector<std::string> messages = person.TakeMessages();
    const std::string name = "fault " + std::to_string(c.fault);
    Check(run == c.run && done == c.done, name + ": RunDesign " + std::to_string(run) +
                                              ", DesignDone " + std::to_string(done));
    Check(messages == c.messages,
          name + ": messages [" + (messages.empty() ? "" : messages[0]) + "]");
  }
  Control(server, 0, 0, 0);
  // A refused input shows its box, with the element line after a line break.
  Check(d.SetUnits(uint8_t{2}) == 1 && person.TakeMessages() ==
                                           std::vector<std::string>{"Unrecognized units"},
        "SetUnits(2) refused with its message");
  Check(d.SetPlateElementProperties(int32_t{0}, 200.f, 30.f, 400.f, 2e5f, .25f, 4.f, .25f, 4.f,
                                    uint8_t{2}, 40.f, 40.f) == 1 &&
            person.TakeMessages() ==
                std::vector<std::string>{"Plate element: number is out of range\r\nPlate Element: 0"},
        "plate element 0 refused with its message");

  server->Release();
  dispatchTable->Release();
  byProgId->Release();
  Check(canUnload() == S_FALSE, "DllCanUnloadNow S_FALSE while one object lives");
  table->Release();
  Check(canUnload() == S_OK, "DllCanUnloadNow S_OK once every object is released");
  return gFailures == 0 ? 0 : 1;
}

// ---- The window, clicked by a person through xdotool -----------------------

bool SaveScreenshot(HWND window, const std::string& file) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const int stride = ((w * 3 + 3) / 4) * 4;
  std::vector<char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER header{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof info};
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

int Window(const std::string& modelsFile, const std::string& screenshot) {
  const auto models = ostrel::wintest::ReadModels(modelsFile);
  _clsDesignCSA94* table = nullptr;
  CoCreateInstance(CLSID_clsDesignCSA94, nullptr, CLSCTX_INPROC_SERVER, IID__clsDesignCSA94,
                   reinterpret_cast<void**>(&table));
  _AnalysisResults* server = Server();
  if (table == nullptr || server == nullptr || models.empty()) return 1;
  LoadModel(server, modelsFile, 0);
  Control(server, 0, 0, 5);  // slow enough for a person to act

  // While suspended the run makes no call; the first suspension is pictured.
  std::atomic<bool> suspensionChecked{false};
  std::atomic<bool> placed{false};
  RECT where{};
  Person person(false, [&](HWND w, const ButtonState& s) {
    if (!placed.load()) {
      GetWindowRect(w, &where);
      placed.store(true);  // publishes `where` to the main thread
    }
    if (s.caption1 != L"&Continue" || suspensionChecked) return;
    suspensionChecked = true;
    LONG before = 0, after = 0;
    server->CallCount(&before);
    Sleep(400);
    server->CallCount(&after);
    Check(before == after, "no AnalysisResults call while suspended");
    Check(SaveScreenshot(w, screenshot), "screenshot saved");
  });
  Design d(table, false);
  SendModel(d, models[0]);
  uint8_t done = 9;
  const uint8_t run = d.RunDesign();
  d.DesignDone(&done);
  Check(run == 0 && done == 0, "cancelled run: RunDesign 0, DesignDone 0");
  Check(FindWindowW(kWindowClass, kWindowCaption) == nullptr, "window gone after Cancel");
  Check(suspensionChecked, "the run was suspended");

  const std::vector<ButtonState> seen = person.States();
  const std::vector<ButtonState> expected = {{L"&Suspend", true, true},
                                             {L"&Continue", true, true},
                                             {L"&Suspend", true, false},
                                             {L"&Continue", true, true}};
  Check(seen == expected, "window states: Suspend, Continue, Suspend (Cancel disabled), Continue");
  for (const ButtonState& s : seen)
    std::printf("  seen Command1 \"%s\" %d, Command2 %d\n", Narrow(s.caption1).c_str(), s.enabled1,
                s.enabled2);
  // The window was centred on the screen.
  Check(placed.load(), "window seen");
  const int left = (GetSystemMetrics(SM_CXSCREEN) - (where.right - where.left)) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - (where.bottom - where.top)) / 2;
  Check(where.left == left && where.top == top, "window centred on the screen");
  server->Release();
  table->Release();
  return gFailures == 0 ? 0 : 1;
}

// ---- The correctly rounded functions, as on Linux ---------------------------

int Trig(const std::string& file) {
  std::FILE* f = std::fopen(file.c_str(), "r");
  double v[4];
  long compared = 0, differing = 0;
  while (f != nullptr && std::fscanf(f, "%la %la %la %la", &v[0], &v[1], &v[2], &v[3]) == 4) {
    const double w[3] = {ostrel::CrSin(v[0]), ostrel::CrCos(v[0]), ostrel::CrAtan(v[0])};
    compared += 3;
    differing += std::memcmp(w, v + 1, sizeof w) != 0;
  }
  if (f != nullptr) std::fclose(f);
  std::printf("trig: %ld values compared with the Linux build\n", compared);
  Check(compared > 0 && differing == 0, std::to_string(differing) + " arguments differ");
  return gFailures == 0 ? 0 : 1;
}

// ---- After DllUnregisterServer ---------------------------------------------

int Unregistered() {
  const wchar_t* keys[] = {L"CLSID\\{45F71D89-B678-4672-A841-640628F6F86A}",
                           L"OstrelDesignCSA94.clsDesignCSA94",
                           L"TypeLib\\{9F08A39E-C1E6-4F1E-9F63-F18DED7D5486}",
                           L"Interface\\{489470F4-568C-49FF-8584-10B0A574B452}"};
  for (const wchar_t* key : keys) {
    HKEY h = nullptr;
    const LSTATUS s = RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &h);
    if (s == ERROR_SUCCESS) RegCloseKey(h);
    Check(s == ERROR_FILE_NOT_FOUND, "key removed: " + Narrow(key));
  }
  return gFailures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Narrow(argv[i]));
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int rc = 2;
  if (args.size() == 3 && args[0] == "golden") rc = Golden(args[1], args[2]);
  if (args.size() == 3 && args[0] == "window") rc = Window(args[1], args[2]);
  if (args.size() == 2 && args[0] == "trig") rc = Trig(args[1]);
  if (args.size() == 1 && args[0] == "unregistered") rc = Unregistered();
  if (rc == 2) std::printf("usage: golden MODELS GOLDEN | window MODELS BMP | trig FILE | unregistered\n");
  CoUninitialize();
  std::printf("%s\n", rc == 0 ? "PASS" : "FAIL");
  return rc;
}
