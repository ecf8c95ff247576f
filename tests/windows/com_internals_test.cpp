// The COM server's parts, tested inside one process under Wine: text
// conversion, argument collection and coercion for Invoke, error reporting,
// and the message box prompter's styles and suppression.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <new>
#include <stdexcept>
#include <string>

#include "com/bstr_text.h"
#include "com/com_identity.h"
#include "com/dispatch_arguments.h"
#include "com/error_info.h"
#include "ostrel/errors.h"
#include "platform/message_box_prompter.h"

namespace ostrel::com {
namespace {

// A BSTR freed at the end of the scope.
struct Bstr {
    explicit Bstr(const wchar_t* text) : value(SysAllocString(text)) {}
    Bstr(const wchar_t* text, UINT length) : value(SysAllocStringLen(text, length)) {}
    ~Bstr() { SysFreeString(value); }
    BSTR value;
};

struct ComApartment : ::testing::Environment {
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const apartment = ::testing::AddGlobalTestEnvironment(new ComApartment);

// ---------------------------------------------------------------- BSTR text

TEST(BstrText, AsciiRoundTrips) {
    Bstr path(L"C:\\jobs\\site.txt");
    EXPECT_EQ(NarrowFromBstr(path.value), "C:\\jobs\\site.txt");
    BSTR back = BstrFromNarrow("C:\\jobs\\site.txt");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back, SysStringLen(back)), L"C:\\jobs\\site.txt");
    SysFreeString(back);
}

TEST(BstrText, NullAndEmptyBstrGiveEmptyText) {
    EXPECT_EQ(NarrowFromBstr(nullptr), "");
    Bstr empty(L"");
    EXPECT_EQ(NarrowFromBstr(empty.value), "");
    BSTR back = BstrFromNarrow("");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(SysStringLen(back), 0u);
    SysFreeString(back);
}

TEST(BstrText, WholeLengthIsConvertedIncludingEmbeddedNul) {
    Bstr withNul(L"ab\0cd", 5);
    std::string text = NarrowFromBstr(withNul.value);
    ASSERT_EQ(text.size(), 5u);
    EXPECT_EQ(text, std::string("ab\0cd", 5));
}

TEST(BstrText, AnsiCodePageCharactersMapToTheirBytes) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    Bstr accented(L"caf\u00e9 \u00c4");
    EXPECT_EQ(NarrowFromBstr(accented.value), "caf\xe9 \xc4");
    EXPECT_EQ(WideFromNarrow("caf\xe9"), L"caf\u00e9");
}

TEST(BstrText, CharacterOutsideTheCodePageBecomesTheDefaultCharacterAndIsTold) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    Bstr cjk(L"a\u4e2db");
    bool lossy = false;
    EXPECT_EQ(NarrowFromBstr(cjk.value, &lossy), "a?b");
    EXPECT_TRUE(lossy);

    Bstr accented(L"caf\u00e9?");
    lossy = true;
    EXPECT_EQ(NarrowFromBstr(accented.value, &lossy), "caf\xe9?");
    EXPECT_FALSE(lossy) << "a question mark of the text itself is no loss";
    lossy = true;
    EXPECT_EQ(NarrowFromBstr(nullptr, &lossy), "");
    EXPECT_FALSE(lossy);
}

// ------------------------------------------------------ Invoke's arguments

// Builds DISPPARAMS: rgvarg as given (named ones first, positional ones in
// reverse order).
DISPPARAMS Params(VARIANT* args, UINT count, DISPID* named = nullptr, UINT namedCount = 0) {
    DISPPARAMS p{};
    p.rgvarg = args;
    p.cArgs = count;
    p.rgdispidNamedArgs = named;
    p.cNamedArgs = namedCount;
    return p;
}

TEST(CollectArguments, PositionalArgumentsComeInReverseOrder) {
    VARIANT args[2];
    const VARIANT* found[2];
    DISPPARAMS p = Params(args, 2);
    UINT argError = 99;
    ASSERT_EQ(CollectArguments(p, 2, found, &argError), S_OK);
    EXPECT_EQ(found[0], &args[1]);   // strIN: the last element
    EXPECT_EQ(found[1], &args[0]);   // strOUT
}

TEST(CollectArguments, NamedArgumentsGoToTheirParameter) {
    VARIANT args[2];
    DISPID named[2] = {1, 0};   // strOUT first, then strIN
    const VARIANT* found[2];
    DISPPARAMS p = Params(args, 2, named, 2);
    ASSERT_EQ(CollectArguments(p, 2, found, nullptr), S_OK);
    EXPECT_EQ(found[0], &args[1]);
    EXPECT_EQ(found[1], &args[0]);
}

TEST(CollectArguments, PositionalThenNamed) {
    VARIANT args[2];
    DISPID named[1] = {1};   // rgvarg[0] is strOUT by name, rgvarg[1] strIN by position
    const VARIANT* found[2];
    DISPPARAMS p = Params(args, 2, named, 1);
    ASSERT_EQ(CollectArguments(p, 2, found, nullptr), S_OK);
    EXPECT_EQ(found[0], &args[1]);
    EXPECT_EQ(found[1], &args[0]);
}

TEST(CollectArguments, WrongCountIsRefused) {
    VARIANT args[3];
    const VARIANT* found[2];
    for (UINT count : {0u, 1u, 3u}) {
        DISPPARAMS p = Params(args, count);
        EXPECT_EQ(CollectArguments(p, 2, found, nullptr), DISP_E_BADPARAMCOUNT) << count << " arguments";
    }
}

TEST(CollectArguments, UnknownOrRepeatedNameIsRefusedWithItsIndex) {
    VARIANT args[2];
    const VARIANT* found[2];
    struct Case {
        DISPID named[2];
        UINT badIndex;
    } cases[] = {{{0, 2}, 1}, {{-1, 0}, 0}, {{1, 1}, 1}};
    for (auto& c : cases) {
        DISPPARAMS p = Params(args, 2, c.named, 2);
        UINT argError = 99;
        EXPECT_EQ(CollectArguments(p, 2, found, &argError), DISP_E_PARAMNOTFOUND);
        EXPECT_EQ(argError, c.badIndex);
        EXPECT_EQ(found[0], nullptr);
        EXPECT_EQ(found[1], nullptr);
    }
}

TEST(CollectArguments, NamedArgumentClashingWithPositionalIsRefused) {
    VARIANT args[2];
    DISPID named[1] = {0};   // strIN by name although rgvarg[1] already is strIN
    const VARIANT* found[2];
    DISPPARAMS p = Params(args, 2, named, 1);
    UINT argError = 99;
    EXPECT_EQ(CollectArguments(p, 2, found, &argError), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(argError, 0u);
}

class ArgumentTextTest : public ::testing::Test {
protected:
    std::string text = "stale";
};

TEST_F(ArgumentTextTest, BstrByValue) {
    Bstr s(L"C:\\a.txt");
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = s.value;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "C:\\a.txt");
}

TEST_F(ArgumentTextTest, BstrByReferenceAsVb6Passes) {
    Bstr s(L"C:\\b.txt");
    BSTR variable = s.value;
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = &variable;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "C:\\b.txt");

    BSTR nothing = nullptr;   // an unassigned String variable
    V_BSTRREF(&v) = &nothing;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "");
}

TEST_F(ArgumentTextTest, VariantByReferenceAsVbscriptPasses) {
    Bstr s(L"C:\\c.dwg");
    VARIANT variable;
    V_VT(&variable) = VT_BSTR;
    V_BSTR(&variable) = s.value;
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = &variable;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "C:\\c.dwg");
}

TEST_F(ArgumentTextTest, LossTellsOfCharactersOutsideTheCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    Bstr s(L"C:\\\u0416.txt");
    BSTR variable = s.value;
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&v) = &variable;
    bool lossy = false;
    ASSERT_EQ(ArgumentText(v, text, &lossy), S_OK);
    EXPECT_EQ(text, "C:\\?.txt");
    EXPECT_TRUE(lossy);

    Bstr plain(L"C:\\a.txt");
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = plain.value;
    ASSERT_EQ(ArgumentText(v, text, &lossy), S_OK);
    EXPECT_FALSE(lossy);
}

TEST_F(ArgumentTextTest, VariantByReferenceHoldingNumberIsConverted) {
    VARIANT variable;
    V_VT(&variable) = VT_I4;
    V_I4(&variable) = 42;
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = &variable;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "42");
}

TEST_F(ArgumentTextTest, NumbersAndEmptyAreConvertedAsVariantChangeTypeDoes) {
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = -7;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "-7");

    LONG number = 12;
    V_VT(&v) = VT_BYREF | VT_I4;
    V_I4REF(&v) = &number;
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "12");

    VariantInit(&v);   // Empty: an uninitialised VBScript variable
    ASSERT_EQ(ArgumentText(v, text), S_OK);
    EXPECT_EQ(text, "");
}

TEST_F(ArgumentTextTest, NullMissingAndBrokenReferencesAreTypeMismatches) {
    VARIANT v;
    V_VT(&v) = VT_NULL;
    EXPECT_EQ(ArgumentText(v, text), DISP_E_TYPEMISMATCH);

    V_VT(&v) = VT_ERROR;   // an omitted argument
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(ArgumentText(v, text), DISP_E_TYPEMISMATCH);

    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = nullptr;
    EXPECT_EQ(ArgumentText(v, text), DISP_E_TYPEMISMATCH);

    VARIANT nullVariable;
    V_VT(&nullVariable) = VT_NULL;
    V_VARIANTREF(&v) = &nullVariable;
    EXPECT_EQ(ArgumentText(v, text), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(text, "");
}

// ------------------------------------------------------------------ errors

std::wstring Text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

TEST(ErrorInfo, ConversionErrorsAreControlFacilityCodes) {
    EXPECT_EQ(InvalidArgumentResult(), static_cast<HRESULT>(0x800A0005));
    EXPECT_EQ(ConversionErrorResult(ErrorCode::EndOfFile), static_cast<HRESULT>(0x800A003E));
    EXPECT_EQ(ConversionErrorResult(ErrorCode::FileNotFound), static_cast<HRESULT>(0x800A0035));
    EXPECT_EQ(ConversionErrorResult(ErrorCode::Toolkit), static_cast<HRESULT>(0x800A03E8));
    EXPECT_TRUE(FAILED(ConversionErrorResult(ErrorCode::Overflow)));
}

TEST(ErrorInfo, ReportErrorSetsSourceDescriptionAndInterface) {
    SetErrorInfo(0, nullptr);
    HRESULT hr = ReportError(E_FAIL, "Error in CdSaveFile: x");
    EXPECT_EQ(hr, E_FAIL);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    BSTR source = nullptr, description = nullptr;
    GUID guid{};
    info->GetSource(&source);
    info->GetDescription(&description);
    info->GetGUID(&guid);
    EXPECT_EQ(Text(source), L"Ostrel.clsDWG");
    EXPECT_EQ(Text(description), L"Error in CdSaveFile: x");
    EXPECT_TRUE(IsEqualGUID(guid, kInterfaceId));
    SysFreeString(source);
    SysFreeString(description);
    info->Release();
}

HRESULT Rethrown(const std::exception_ptr& e) {
    try {
        std::rethrow_exception(e);
    } catch (...) {
        return ReportCurrentException();
    }
}

std::wstring ThreadErrorDescription() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"<none>";
    BSTR description = nullptr;
    info->GetDescription(&description);
    std::wstring text = Text(description);
    SysFreeString(description);
    info->Release();
    return text;
}

TEST(ErrorInfo, ExceptionsBecomeResultsAndDescriptions) {
    EXPECT_EQ(Rethrown(std::make_exception_ptr(ConversionError(ErrorCode::EndOfFile, "Input past end of file"))),
              static_cast<HRESULT>(0x800A003E));
    EXPECT_EQ(ThreadErrorDescription(), L"Input past end of file");

    EXPECT_EQ(Rethrown(std::make_exception_ptr(std::bad_alloc())), E_OUTOFMEMORY);
    EXPECT_EQ(ThreadErrorDescription(), L"Out of memory");

    EXPECT_EQ(Rethrown(std::make_exception_ptr(std::runtime_error("odd"))), ConversionErrorResult(ErrorCode::Internal));
    EXPECT_EQ(ThreadErrorDescription(), L"odd");

    EXPECT_EQ(Rethrown(std::make_exception_ptr(42)), ConversionErrorResult(ErrorCode::Internal));
    EXPECT_EQ(ThreadErrorDescription(), L"Unexpected failure");
}

TEST(ErrorInfo, ExcepInfoIsFilledAndTheErrorObjectStays) {
    ReportError(static_cast<HRESULT>(0x800A003E), "past the end");
    EXCEPINFO info;
    FillExcepInfo(info, static_cast<HRESULT>(0x800A003E));
    EXPECT_EQ(info.scode, static_cast<HRESULT>(0x800A003E));
    EXPECT_EQ(info.wCode, 0);
    EXPECT_EQ(Text(info.bstrSource), L"Ostrel.clsDWG");
    EXPECT_EQ(Text(info.bstrDescription), L"past the end");
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    EXPECT_EQ(ThreadErrorDescription(), L"past the end");   // still there for GetErrorInfo callers
}

TEST(ErrorInfo, ExcepInfoWithoutErrorObjectNamesTheSourceOnly) {
    SetErrorInfo(0, nullptr);
    EXCEPINFO info;
    FillExcepInfo(info, E_FAIL);
    EXPECT_EQ(info.scode, E_FAIL);
    EXPECT_EQ(Text(info.bstrSource), L"Ostrel.clsDWG");
    EXPECT_EQ(info.bstrDescription, nullptr);
    SysFreeString(info.bstrSource);
}

// ----------------------------------------------------------- message boxes

TEST(MessageBoxPrompter, StylesFollowTheKinds) {
    EXPECT_EQ(MessageBoxStyle(MessageIcon::None, false) & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_OK));
    EXPECT_EQ(MessageBoxStyle(MessageIcon::Critical, false) & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(MessageBoxStyle(MessageIcon::Exclamation, false) & (MB_TYPEMASK | MB_ICONMASK),
              UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(MessageBoxStyle(MessageIcon::None, true) & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_YESNO));
    EXPECT_NE(MessageBoxStyle(MessageIcon::None, false) & MB_TASKMODAL, 0u);
}

// Sets or clears OSTREL_NO_MESSAGEBOX for one test and restores it after.
class SuppressionVariable : public ::testing::Test {
protected:
    void SetUp() override {
        char value[64] = {};
        SetLastError(ERROR_SUCCESS);
        had_ = GetEnvironmentVariableA("OSTREL_NO_MESSAGEBOX", value, sizeof(value)) > 0 ||
               GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        old_ = value;
    }
    void TearDown() override { SetEnvironmentVariableA("OSTREL_NO_MESSAGEBOX", had_ ? old_.c_str() : nullptr); }
    static void Set(const char* value) { SetEnvironmentVariableA("OSTREL_NO_MESSAGEBOX", value); }

private:
    bool had_ = false;
    std::string old_;
};

TEST_F(SuppressionVariable, SetToAnythingButZeroSuppresses) {
    Set("1");
    EXPECT_TRUE(MessageBoxesSuppressed());
    Set("yes");
    EXPECT_TRUE(MessageBoxesSuppressed());
    Set("");
    EXPECT_TRUE(MessageBoxesSuppressed());
    Set("0");
    EXPECT_FALSE(MessageBoxesSuppressed());
    Set(nullptr);
    EXPECT_FALSE(MessageBoxesSuppressed());
}

TEST_F(SuppressionVariable, SuppressedPrompterShowsNothingAndAnswersYes) {
    Set("1");
    auto prompter = MakeMessageBoxPrompter();
    // Would block until clicked if a box were shown.
    prompter->ShowMessage("Error Opening C:\\nowhere.SYM", MessageIcon::Critical);
    EXPECT_TRUE(prompter->AskYesNo("Continue With Progress Messages?"));
}

} // namespace
} // namespace ostrel::com
