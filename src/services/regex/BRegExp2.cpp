// The guarded variant of the regular-expression service.
#include "services/regex/BRegExp2.h"

namespace varno {

bool TBRegExp2::match(std::string_view pattern, std::string_view text) {
    if (text.empty()) {
        forgetResults(EMode::AfterMatch);
        return false;
    }
    return TBRegExp::match(pattern, text);
}

int TBRegExp2::substitute(std::string_view pattern, std::string& text) {
    if (text.empty()) {
        forgetResults(EMode::None);
        return 0;
    }
    return TBRegExp::substitute(pattern, text);
}

int TBRegExp2::split(std::string_view pattern, std::string_view text, int limit) {
    if (text.empty()) {
        forgetResults(EMode::AfterSplit);
        return 0;
    }
    return TBRegExp::split(pattern, text, limit);
}

TBRegExp2& SharedRegExp2() {
    static TBRegExp2 shared;
    return shared;
}

}  // namespace varno
