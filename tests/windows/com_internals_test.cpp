// The COM server's parts, tested inside one process under Wine: text
// conversion, argument coercion for Invoke (their collection: the client's
// tests), error reporting,
// and the message box prompter's styles and suppression.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <new>
#include <tuple>
#include <vector>
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

TEST(BstrText, WholeLengthRoundTripsAndNullOrEmptyGiveEmptyText) {
    for (std::wstring text : {std::wstring(L"C:\\jobs\\site.txt"), std::wstring(L"ab\0cd", 5), std::wstring()}) {
        Bstr b(text.data(), static_cast<UINT>(text.size()));
        const std::string narrow = NarrowFromBstr(b.value);
        EXPECT_EQ(narrow, std::string(text.begin(), text.end()));   // embedded NULs included
        BSTR back = BstrFromNarrow(narrow);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(std::wstring(back, SysStringLen(back)), text);
        SysFreeString(back);
    }
    bool lossy = true;
    EXPECT_EQ(NarrowFromBstr(nullptr, &lossy), "");
    EXPECT_FALSE(lossy);
}

TEST(BstrText, AnsiCodePageCharactersMapToTheirBytesOthersBecomeTheDefaultAndAreTold) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    EXPECT_EQ(WideFromNarrow("caf\xe9"), L"caf\u00e9");
    const std::tuple<const wchar_t*, std::string, bool> cases[] = {
        {L"caf\u00e9 \u00c4", "caf\xe9 \xc4", false},
        {L"caf\u00e9?", "caf\xe9?", false},   // a question mark of the text itself is no loss
        {L"a\u4e2db", "a?b", true}};
    for (const auto& [wide, narrow, loss] : cases) {
        Bstr b(wide);
        bool lossy = !loss;
        EXPECT_EQ(NarrowFromBstr(b.value, &lossy), narrow);
        EXPECT_EQ(lossy, loss) << narrow;
    }
}

// ------------------------------------------------------ Invoke's arguments

VARIANT Variant(VARTYPE type) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = type;
    return v;
}

// (A string outside the code page: the client's tests see it refused.)
TEST(ArgumentText, StringsByValueAndReferenceNumbersAndEmptyConvert) {
    Bstr a(L"C:\\a.txt"), c(L"C:\\c.dwg");
    BSTR variable = a.value, nothing = nullptr;   // nothing: an unassigned String variable
    VARIANT byValue = Variant(VT_BSTR), bstrRef = Variant(VT_BYREF | VT_BSTR), unassigned = bstrRef;
    V_BSTR(&byValue) = c.value;
    V_BSTRREF(&bstrRef) = &variable;
    V_BSTRREF(&unassigned) = &nothing;
    VARIANT variantRef = Variant(VT_BYREF | VT_VARIANT), number = Variant(VT_I4), numberRef = variantRef;
    V_VARIANTREF(&variantRef) = &byValue;   // as VBScript passes a variable
    V_I4(&number) = 42;
    V_VARIANTREF(&numberRef) = &number;
    VARIANT shortNumber = Variant(VT_I2), longRef = Variant(VT_BYREF | VT_I4);
    V_I2(&shortNumber) = -7;
    LONG twelve = 12;
    V_I4REF(&longRef) = &twelve;
    const std::pair<VARIANT, std::string> cases[] = {
        {byValue, "C:\\c.dwg"}, {bstrRef, "C:\\a.txt"}, {unassigned, ""}, {variantRef, "C:\\c.dwg"},
        {numberRef, "42"}, {shortNumber, "-7"}, {longRef, "12"}, {Variant(VT_EMPTY), ""}};
    for (const auto& [v, expected] : cases) {
        std::string text = "stale";
        ASSERT_EQ(ArgumentText(v, text), S_OK) << expected;
        EXPECT_EQ(text, expected);
    }
}

TEST(ArgumentText, NullMissingAndBrokenReferencesAreTypeMismatches) {
    VARIANT omitted = Variant(VT_ERROR), broken = Variant(VT_BYREF | VT_VARIANT), nullVariable = Variant(VT_NULL);
    V_ERROR(&omitted) = DISP_E_PARAMNOTFOUND;
    V_VARIANTREF(&broken) = nullptr;
    VARIANT nullRef = Variant(VT_BYREF | VT_VARIANT);
    V_VARIANTREF(&nullRef) = &nullVariable;
    for (const VARIANT& v : {Variant(VT_NULL), omitted, broken, nullRef}) {
        std::string text = "stale";
        EXPECT_EQ(ArgumentText(v, text), DISP_E_TYPEMISMATCH) << V_VT(&v);
    }
}

// ------------------------------------------------------------------ errors

std::wstring Text(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

TEST(ErrorInfo, ConversionErrorsAreControlFacilityCodes) {
    EXPECT_EQ(InvalidArgumentResult(), static_cast<HRESULT>(0x800A0005));
    for (auto [code, result] : {std::pair{ErrorCode::EndOfFile, 0x800A003Eu}, {ErrorCode::FileNotFound, 0x800A0035u},
                                {ErrorCode::Toolkit, 0x800A03E8u}})
        EXPECT_EQ(ConversionErrorResult(code), static_cast<HRESULT>(result));
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

TEST(ErrorInfo, ExcepInfoIsFilledAndTheErrorObjectStaysWithoutOneItNamesTheSourceOnly) {
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

    SetErrorInfo(0, nullptr);
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
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"yes", true}, {"", true}, {"0", false}, {nullptr, false}};
    for (auto [value, suppressed] : cases) {
        Set(value);
        EXPECT_EQ(MessageBoxesSuppressed(), suppressed) << (value ? value : "(unset)");
    }
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
