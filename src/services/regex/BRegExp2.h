// The regular-expression service with guards for empty input.
#pragma once

#include "services/regex/BRegExp.h"

namespace varno {

// Like TBRegExp, except that an empty text is answered without looking at the pattern: match
// gives false (even for a pattern such as /^$/), substitute 0 and split 0. The results are
// then those of a call that found nothing (count() 0 after a match or split).
class TBRegExp2 : public TBRegExp {
public:
    bool match(std::string_view pattern, std::string_view text) override;
    int substitute(std::string_view pattern, std::string& text) override;
    int split(std::string_view pattern, std::string_view text, int limit) override;
};

// The second shared instance of the process.
TBRegExp2& SharedRegExp2();

}  // namespace varno
