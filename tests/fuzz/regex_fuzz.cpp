// Fuzzes the regular-expression service: the input is a pattern and a subject, split at
// the first zero byte; both the match/split and the substitution forms are tried.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "services/regex/BRegExp.h"
#include "services/regex/BRegExpError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varno;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\0');
    const std::string_view pattern = input.substr(0, cut);
    const std::string_view subject = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);

    TBRegExp regex;
    try {
        if (regex.match(pattern, subject)) {
            for (int i = 0; i < regex.count(); ++i) (void)regex.item(i);
        }
    } catch (const EBRegExpError&) {
    }
    try {
        const int pieces = regex.split(pattern, subject, static_cast<int>(size % 5) - 2);
        for (int i = 0; i < pieces; ++i) (void)regex.item(i);
    } catch (const EBRegExpError&) {
    }
    try {
        std::string text(subject);
        regex.substitute(pattern, text);
    } catch (const EBRegExpError&) {
    }
    return 0;
}
