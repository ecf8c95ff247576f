// A late-bound C++ client of the registered Ostrel.dll, run under Wine after
// regsvr32: CoCreateInstance by ProgID, names through GetIDsOfNames, calls
// through IDispatch::Invoke with the VARIANTs that VB6 and VBScript pass
// (VT_BYREF|VT_VARIANT, VT_BYREF|VT_BSTR, VT_BSTR), errors through
// EXCEPINFO and IErrorInfo; also the vtable call, the class factory and the
// module's unload rule.
//
// The work folder (OSTREL_TEST_WORK, a Windows path) holds survey.txt and
// header-only.txt with their symbol files, made by run-wine-tests.
//
// With the arguments --conversion-error IN OUT the program instead runs that
// conversion in-process and prints the error number and, on the next line,
// the message it fails with (the runner hands them to the VBScript test).
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "com/bstr_text.h"
#include "com/com_identity.h"
#include "com/error_info.h"
#include "ostrel/clsDWG.h"
#include "platform/message_box_prompter.h"

namespace {

using ostrel::com::kClassId;
using ostrel::com::kInterfaceId;
using ostrel::com::kLibraryId;

// ------------------------------------------------------------------ helpers

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Reset(); }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** Out() {
        Reset();
        return &p_;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR& get() { return value_; }

private:
    BSTR value_;
};

std::wstring Text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

std::wstring WorkPath(const std::wstring& name) { return Environment(L"OSTREL_TEST_WORK") + L"\\" + name; }

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string FileStart(const std::wstring& path, size_t count) {
    std::string bytes(count, '\0');
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(count), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// A fresh output path: any file of that name from an earlier run is removed.
std::wstring FreshOutput(const std::wstring& name) {
    std::wstring path = WorkPath(name);
    DeleteFileW(path.c_str());
    return path;
}

std::wstring RegistryString(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

// What the same conversion gives when run in-process: the error's code and
// message, or nothing when it succeeds.
struct Failure {
    ostrel::ErrorCode code;
    std::string message;
};

std::optional<Failure> InProcessFailure(const std::wstring& in, const std::wstring& out) {
    ostrel::HostOptions host;
    host.prompter = ostrel::MakeMessageBoxPrompter();
    try {
        ostrel::clsDWG conversion(host);
        conversion.SaveAsDWG(ostrel::com::NarrowFromWide(in), ostrel::com::NarrowFromWide(out));
    } catch (const ostrel::ConversionError& e) {
        return Failure{e.code(), e.what()};
    }
    return std::nullopt;
}

// Invoke(SaveAsDWG) with rgvarg as given (positional ones in reverse order).
struct InvokeResult {
    HRESULT hr = E_UNEXPECTED;
    EXCEPINFO exception{};
    UINT argError = 0xFFFFFFFF;
    ~InvokeResult() {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
};

// The thread's error object names the class and gives the message.
void ExpectErrorObject(const std::string& message) {
    Ref<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
    BSTR source = nullptr, description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    EXPECT_EQ(Text(source), L"Ostrel.clsDWG");
    EXPECT_EQ(Text(description), ostrel::com::WideFromNarrow(message));
    SysFreeString(source);
    SysFreeString(description);
}

class LateBoundClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Environment(L"OSTREL_TEST_WORK").empty()) << "OSTREL_TEST_WORK is not set";
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(L"Ostrel.clsDWG", &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch_.OutVoid()), S_OK);
        LPOLESTR name = const_cast<LPOLESTR>(L"SaveAsDWG");
        ASSERT_EQ(dispatch_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &saveAsDwg_), S_OK);
    }

    void Invoke(InvokeResult& r, std::vector<VARIANT>& args, std::vector<DISPID> named = {},
                WORD flags = DISPATCH_METHOD, DISPID member = DISPID_UNKNOWN, REFIID riid = IID_NULL) {
        DISPPARAMS params{};
        params.rgvarg = args.empty() ? nullptr : args.data();
        params.cArgs = static_cast<UINT>(args.size());
        params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
        params.cNamedArgs = static_cast<UINT>(named.size());
        VARIANT result;
        VariantInit(&result);
        r.hr = dispatch_->Invoke(member == DISPID_UNKNOWN ? saveAsDwg_ : member, riid, LOCALE_USER_DEFAULT, flags,
                                 &params, &result, &r.exception, &r.argError);
        VariantClear(&result);
    }

    static VARIANT ByValue(BSTR b) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = b;
        return v;
    }
    static VARIANT BstrRef(BSTR* b) {
        VARIANT v;
        V_VT(&v) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&v) = b;
        return v;
    }
    static VARIANT VariantRef(VARIANT* inner) {
        VARIANT v;
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = inner;
        return v;
    }

    Ref<IDispatch> dispatch_;
    DISPID saveAsDwg_ = DISPID_UNKNOWN;
};

// ------------------------------------------------------------- registration

// Both ProgIDs name the class; its server is Ostrel.dll, apartment-threaded,
// with the type library; the interface goes through the automation marshaler.
TEST(Registration, ProgIdsServerTypeLibraryAndMarshaler) {
    for (const wchar_t* name : {L"Ostrel.clsDWG", L"Ostrel.clsDWG.1"}) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(name, &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, kClassId));
    }
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(kClassId, &progId), S_OK);
    EXPECT_STREQ(progId, L"Ostrel.clsDWG.1");
    CoTaskMemFree(progId);
    const std::wstring key = L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}";
    std::wstring path = RegistryString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr);
    ASSERT_GE(path.size(), 10u);
    EXPECT_EQ(path.substr(path.size() - 10), L"Ostrel.dll");
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "registered path does not exist";
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr), L"{0748F626-498D-4072-B9C8-A6F629E5F57A}");
    EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, L"Interface\\{A0E9A14A-0ACF-4765-8A32-5B144D3C68B1}\\ProxyStubClsid32",
                             nullptr),
              L"{00020424-0000-0000-C000-000000000046}");
}

TEST(Registration, TypeLibraryDescribesTheClassAndItsDefaultInterface) {
    Ref<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(kLibraryId, 1, 0, LOCALE_NEUTRAL, library.Out()), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(name), L"Ostrel");
    SysFreeString(name);

    Ref<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(kClassId, coclass.Out()), S_OK);
    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);   // the interface itself: the object's type information
}

// ------------------------------------------------------------------- names

TEST_F(LateBoundClient, MethodAndParameterNamesMatchWithoutCaseUnknownOnesAreRefused) {
    LPOLESTR names[3] = {const_cast<LPOLESTR>(L"saveasdwg"), const_cast<LPOLESTR>(L"STROUT"),
                         const_cast<LPOLESTR>(L"strin")};
    DISPID ids[3] = {};
    ASSERT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(ids[0], saveAsDwg_);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(ids[2], 0);
    LPOLESTR unknown = const_cast<LPOLESTR>(L"SaveAsDXF");
    DISPID id = 0;
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(LateBoundClient, TypeInfoShowsSaveAsDwgWithTwoStringsByReference) {
    UINT count = 0;
    ASSERT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    Ref<ITypeInfo> info;
    ASSERT_EQ(dispatch_->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out()), S_OK);
    BSTR names[3] = {};
    UINT got = 0;
    ASSERT_EQ(info->GetNames(saveAsDwg_, names, 3, &got), S_OK);
    ASSERT_EQ(got, 3u);
    EXPECT_EQ(Text(names[0]), L"SaveAsDWG");
    EXPECT_EQ(Text(names[1]), L"strIN");
    EXPECT_EQ(Text(names[2]), L"strOUT");
    for (BSTR n : names) SysFreeString(n);

    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualIID(attr->guid, kInterfaceId));
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    bool found = false;
    for (WORD i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
        if (f->memid == saveAsDwg_) {
            found = true;
            ASSERT_EQ(f->cParams, 2);
            for (int p = 0; p < 2; ++p) {
                const ELEMDESC& e = f->lprgelemdescParam[p];
                EXPECT_EQ(e.tdesc.vt, VT_PTR) << "parameter " << p << " is not by reference";
                if (e.tdesc.vt == VT_PTR) {
                    EXPECT_EQ(e.tdesc.lptdesc->vt, VT_BSTR);
                }
                EXPECT_EQ(e.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT), PARAMFLAG_FIN | PARAMFLAG_FOUT);
            }
        }
        info->ReleaseFuncDesc(f);
    }
    EXPECT_TRUE(found) << "SaveAsDWG is not among the interface's functions";
}

// ---------------------------------------------------------- conversions

TEST_F(LateBoundClient, EveryWayOfPassingTheStringsConvertsAndLeavesTheVariablesAlone) {
    // VBScript variables (VT_BYREF|VT_VARIANT), VB6 String variables
    // (VT_BYREF|VT_BSTR), values, named arguments listed either way, and an
    // early-bound client's vtable call.
    enum Passing { VariantRefs, BstrRefs, Values, Named, NamedReversed, NamedOut, Vtable };
    const std::pair<Passing, const wchar_t*> cases[] = {
        {VariantRefs, L"client-variant-ref.dxf"}, {BstrRefs, L"client-bstr-ref.dwg"}, {Values, L"client-by-value.dxf"},
        {Named, L"client-named.dxf"}, {NamedReversed, L"client-named-2.dxf"}, {NamedOut, L"client-named-out.dxf"},
        {Vtable, L"client-vtable.dxf"}};
    Ref<_clsDWG> direct;
    ASSERT_EQ(dispatch_->QueryInterface(kInterfaceId, direct.OutVoid()), S_OK);
    for (auto [passing, name] : cases) {
        Bstr in(WorkPath(L"survey.txt"));
        Bstr out(FreshOutput(name));
        const BSTR inBefore = in.get();
        VARIANT a = ByValue(in.get()), b = ByValue(out.get());
        std::vector<VARIANT> args = {b, a};
        std::vector<DISPID> named;
        if (passing == VariantRefs) args = {VariantRef(&b), VariantRef(&a)};
        if (passing == BstrRefs) args = {BstrRef(&out.get()), BstrRef(&in.get())};
        if (passing == Named) named = {1, 0};   // SaveAsDWG strOUT:=b, strIN:=a
        if (passing == NamedOut) named = {1};   // SaveAsDWG a, strOUT:=b
        if (passing == NamedReversed) {
            args = {a, b};
            named = {0, 1};
        }
        InvokeResult r;
        if (passing == Vtable) r.hr = direct->SaveAsDWG(&in.get(), &out.get());
        else Invoke(r, args, named);
        ASSERT_EQ(r.hr, S_OK) << Text(r.exception.bstrDescription);
        const std::string drawing = FileStart(WorkPath(name), 1 << 20);
        EXPECT_EQ(drawing.substr(0, 4) == "AC10", passing == BstrRefs) << drawing.substr(0, 8);
        // HKCU\Software\kestrelworks\talvero userini names user.ini, whose
        // txtDWGoverride names settings.ini, whose LAYERS section renames KERB-LINE.
        if (passing == Values) {
            EXPECT_NE(drawing.find("\nROAD-KERB"), std::string::npos) << "settings.ini not applied";
        }
        EXPECT_EQ(in.get(), inBefore) << "the by-reference string was replaced";
        EXPECT_EQ(V_VT(&a), VT_BSTR);
        EXPECT_EQ(Text(V_BSTR(&b)), WorkPath(name));
    }
}

TEST_F(LateBoundClient, AnsiPathsReachTheFileSystemOthersAreRefused) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    ASSERT_TRUE(CopyFileW(WorkPath(L"survey.txt").c_str(), WorkPath(L"sit\u00e9.txt").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(WorkPath(L"survey.SYM").c_str(), WorkPath(L"sit\u00e9.SYM").c_str(), FALSE));
    Bstr in(WorkPath(L"sit\u00e9.txt"));
    Bstr out(FreshOutput(L"sit\u00e9.dxf"));
    std::vector<VARIANT> args = {BstrRef(&out.get()), BstrRef(&in.get())};
    InvokeResult r;
    Invoke(r, args);
    ASSERT_EQ(r.hr, S_OK) << Text(r.exception.bstrDescription);
    EXPECT_GT(FileSize(WorkPath(L"sit\u00e9.dxf")), 0);

    // The library's paths are ANSI: this one would reach the file system as
    // "?.dxf", another file than the caller named.
    Bstr other(FreshOutput(L"\u0416.dxf"));
    args = {BstrRef(&other.get()), BstrRef(&in.get())};
    InvokeResult refused;
    Invoke(refused, args);
    ASSERT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.exception.scode, static_cast<HRESULT>(0x800A0005));
    EXPECT_EQ(Text(refused.exception.bstrSource), L"Ostrel.clsDWG");
    EXPECT_EQ(Text(refused.exception.bstrDescription).rfind(L"The path cannot be written in the ANSI code page: ", 0), 0u)
        << Text(refused.exception.bstrDescription);
    Ref<_clsDWG> direct;
    ASSERT_EQ(dispatch_->QueryInterface(kInterfaceId, direct.OutVoid()), S_OK);
    EXPECT_EQ(direct->SaveAsDWG(&in.get(), &other.get()), static_cast<HRESULT>(0x800A0005));
}

TEST_F(LateBoundClient, FailedConversionRaisesTheConversionsMessage) {
    const std::wstring inPath = WorkPath(L"header-only.txt");
    const std::wstring outPath = FreshOutput(L"client-header-only.dxf");
    std::optional<Failure> expected = InProcessFailure(inPath, outPath);
    ASSERT_TRUE(expected) << "the header-only export converts in-process";
    ASSERT_FALSE(expected->message.empty());

    Bstr in(inPath), out(outPath);
    VARIANT a = ByValue(in.get()), b = ByValue(out.get());
    std::vector<VARIANT> args = {VariantRef(&b), VariantRef(&a)};
    InvokeResult r;
    Invoke(r, args);
    ASSERT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.exception.scode, ostrel::com::ConversionErrorResult(expected->code));
    EXPECT_EQ(Text(r.exception.bstrSource), L"Ostrel.clsDWG");
    EXPECT_EQ(Text(r.exception.bstrDescription), ostrel::com::WideFromNarrow(expected->message));
    EXPECT_EQ(FileSize(outPath), -1) << "a failed conversion wrote a drawing";

    // The same error is the thread's error object, for callers that ask.
    Ref<ISupportErrorInfo> support;
    ASSERT_EQ(dispatch_->QueryInterface(IID_ISupportErrorInfo, support.OutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(kInterfaceId), S_OK);
    ExpectErrorObject(expected->message);
    // The vtable call returns the same result and sets the same error object.
    Ref<_clsDWG> direct;
    ASSERT_EQ(dispatch_->QueryInterface(kInterfaceId, direct.OutVoid()), S_OK);
    EXPECT_EQ(direct->SaveAsDWG(&in.get(), &out.get()), ostrel::com::ConversionErrorResult(expected->code));
    ExpectErrorObject(expected->message);

    // The object converts again after the failure.
    Bstr good(WorkPath(L"survey.txt")), goodOut(FreshOutput(L"client-again.dxf"));
    std::vector<VARIANT> again = {ByValue(goodOut.get()), ByValue(good.get())};
    InvokeResult r2;
    Invoke(r2, again);
    ASSERT_EQ(r2.hr, S_OK) << Text(r2.exception.bstrDescription);
    EXPECT_GT(FileSize(WorkPath(L"client-again.dxf")), 0);
}

TEST_F(LateBoundClient, WrongCountsNullsUnknownNamesMembersAccessesAndInterfacesAreRefused) {
    Bstr in(WorkPath(L"survey.txt"));
    for (size_t count : {0u, 1u, 3u}) {
        std::vector<VARIANT> args(count, ByValue(in.get()));
        InvokeResult r;
        Invoke(r, args);
        EXPECT_EQ(r.hr, DISP_E_BADPARAMCOUNT) << count << " arguments";
    }
    VARIANT null;
    V_VT(&null) = VT_NULL;
    const std::pair<std::vector<VARIANT>, UINT> nulls[] = {{{null, ByValue(in.get())}, 0u},   // strOUT is Null
                                                           {{ByValue(in.get()), VariantRef(&null)}, 1u}};
    for (auto [args, position] : nulls) {
        InvokeResult r;
        Invoke(r, args);
        EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(r.argError, position);
    }
    std::vector<VARIANT> args = {ByValue(in.get()), ByValue(in.get())};
    // Named arguments: an unknown name, a negative id, a repeated name, and
    // strIN by name while the positional argument is strIN too.
    const std::pair<std::vector<DISPID>, UINT> badNames[] = {{{0, 7}, 1u}, {{-1, 0}, 0u}, {{1, 1}, 1u}, {{0}, 0u}};
    for (const auto& [named, position] : badNames) {
        InvokeResult r;
        Invoke(r, args, named);
        EXPECT_EQ(r.hr, DISP_E_PARAMNOTFOUND) << named.size();
        EXPECT_EQ(r.argError, position);
    }
    InvokeResult unknownMember, propertyPut, propertyGet, otherInterface;
    Invoke(unknownMember, args, {}, DISPATCH_METHOD, 1);
    EXPECT_EQ(unknownMember.hr, DISP_E_MEMBERNOTFOUND);
    Invoke(propertyPut, args, {}, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(propertyPut.hr, DISP_E_MEMBERNOTFOUND);
    Invoke(propertyGet, args, {}, DISPATCH_PROPERTYGET);
    EXPECT_EQ(propertyGet.hr, DISP_E_MEMBERNOTFOUND);
    Invoke(otherInterface, args, {}, DISPATCH_METHOD, DISPID_UNKNOWN, IID_IUnknown);
    EXPECT_EQ(otherInterface.hr, DISP_E_UNKNOWNINTERFACE);
}

// ---------------------------------------------------- objects and the module

TEST(ObjectModel, InterfacesAnsweredAndRefusedAndNoAggregation) {
    Ref<IUnknown> unknown;
    ASSERT_EQ(CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.OutVoid()), S_OK);
    Ref<IDispatch> dispatch;
    Ref<_clsDWG> direct;
    Ref<IUnknown> unknownAgain;
    Ref<IPersist> persist;
    EXPECT_EQ(unknown->QueryInterface(IID_IDispatch, dispatch.OutVoid()), S_OK);
    EXPECT_EQ(unknown->QueryInterface(kInterfaceId, direct.OutVoid()), S_OK);
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, unknownAgain.OutVoid()), S_OK);
    EXPECT_EQ(unknownAgain.get(), unknown.get()) << "IUnknown identity";
    EXPECT_EQ(unknown->QueryInterface(IID_IPersist, persist.OutVoid()), E_NOINTERFACE);
    EXPECT_FALSE(persist);
    Ref<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(kClassId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.OutVoid()), S_OK);
    Ref<IUnknown> inner;
    EXPECT_EQ(factory->CreateInstance(unknown.get(), IID_IUnknown, inner.OutVoid()), CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(inner);
}

TEST(ObjectModel, ModuleUnloadsOnlyWithoutObjectsOrLocks) {
    std::wstring path = RegistryString(
        HKEY_CLASSES_ROOT, L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\InprocServer32", nullptr);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(getClassObject, nullptr);
    CoFreeUnusedLibraries();

    Ref<IClassFactory> factory;
    ASSERT_EQ(getClassObject(kClassId, IID_IClassFactory, factory.OutVoid()), S_OK);
    EXPECT_EQ(canUnload(), S_OK) << "a factory alone keeps nothing loaded";
    {
        Ref<IDispatch> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, object.OutVoid()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE) << "a live object";
    }
    EXPECT_EQ(canUnload(), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE) << "a lock";
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);

    Ref<IClassFactory> other;
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, other.OutVoid()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(other);
    factory.Reset();
    FreeLibrary(module);
}

// ------------------------------------------------- unloading and reloading

// One conversion through a factory taken from the loaded module.
struct ConversionJob {
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**);
    std::wstring in, out;
    HRESULT hr = E_UNEXPECTED;

    void Run() {
        Ref<IClassFactory> factory;
        Ref<IDispatch> dwg;
        hr = getClassObject(kClassId, IID_IClassFactory, factory.OutVoid());
        if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_IDispatch, dwg.OutVoid());
        if (FAILED(hr)) return;
        Bstr a(in), b(out);
        VARIANT args[2];
        V_VT(&args[0]) = VT_BSTR;
        V_BSTR(&args[0]) = b.get();
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = a.get();
        DISPPARAMS params{args, nullptr, 2, 0};
        hr = dwg->Invoke(ostrel::com::kDispIdSaveAsDWG, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                         nullptr, nullptr, nullptr);
    }

    static DWORD WINAPI OnThread(void* job) {
        CoInitialize(nullptr);
        static_cast<ConversionJob*>(job)->Run();
        CoUninitialize();
        return 0;
    }
};

// In a process of its own (nothing else holding the DLL): load Ostrel.dll,
// convert on a worker thread that then ends, unload it, and check it is
// gone; then load it again and convert on the worker and on this thread.
// Per-thread state of a module keeps it loaded until the thread ends (the
// C++ runtime pins it), so after the second round it may stay until exit.
// A fault here shows as a crash at a thread's or the process's end.
int UnloadCycle(const std::wstring& dll, const std::wstring& in, const std::wstring& out) {
    for (int round = 0; round < 2; ++round) {
        HMODULE module = LoadLibraryW(dll.c_str());
        if (!module) return 10;
        ConversionJob job{};
        job.getClassObject = reinterpret_cast<decltype(job.getClassObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        if (!job.getClassObject) return 11;
        job.in = in;
        job.out = out;
        HANDLE thread = CreateThread(nullptr, 0, &ConversionJob::OnThread, &job, 0, nullptr);
        if (!thread) return 12;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        if (job.hr != S_OK) return 13;
        if (round == 1) {
            job.Run();
            if (job.hr != S_OK) return 14;
        }
        if (!FreeLibrary(module)) return 15;
        if (round == 0 && GetModuleHandleW(dll.c_str()) != nullptr) return 16;   // not unloaded
    }
    return 0;
}

TEST(ModuleLifetime, ConvertsAcrossThreadsUnloadsAndLoadsAgain) {
    std::wstring dll = RegistryString(
        HKEY_CLASSES_ROOT, L"CLSID\\{6C114C4A-B3B3-40D0-B2C1-2DA13919FC4C}\\InprocServer32", nullptr);
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --unload-cycle \"" + dll + L"\" \"" +
                           WorkPath(L"survey.txt") + L"\" \"" + FreshOutput(L"client-unload.dxf") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u) << "the unload cycle failed (see UnloadCycle's return codes)";
    EXPECT_GT(FileSize(WorkPath(L"client-unload.dxf")), 0);
}

} // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) {
        std::fprintf(stderr, "CoInitialize failed\n");
        return 2;
    }
    int status;
    if (argc == 5 && std::string(argv[1]) == "--unload-cycle") {
        status = UnloadCycle(ostrel::com::WideFromNarrow(argv[2]), ostrel::com::WideFromNarrow(argv[3]),
                             ostrel::com::WideFromNarrow(argv[4]));
    } else if (argc == 4 && std::string(argv[1]) == "--conversion-error") {
        std::optional<Failure> failure = InProcessFailure(ostrel::com::WideFromNarrow(argv[2]),
                                                          ostrel::com::WideFromNarrow(argv[3]));
        if (failure) std::printf("%d\n%s\n", static_cast<int>(failure->code), failure->message.c_str());
        status = failure ? 0 : 1;
    } else {
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    CoUninitialize();
    return status;
}
