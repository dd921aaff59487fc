#include "tests/host/builtlanguage.h"

#include "host/dialogdriver.h"

std::wstring ModuleText(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    const int length = module ? LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0) : 0;
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

CBuiltLanguage::CBuiltLanguage(const std::string& code)
    : module(LoadLibraryA(
          (std::string(QUIESCOR_LANGUAGE_FOLDER) + "\\quiescor-" + code + ".dll").c_str())) {}

CBuiltLanguage::~CBuiltLanguage() {
    if (module)
        FreeLibrary(module);
}

std::string CBuiltLanguage::Utf8Text(UINT id) const {
    return Utf8(Text(id));
}
