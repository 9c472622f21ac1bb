// Evaluation of script text composed by the host: compiled as a throw-away class and run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/Value.h"

namespace varno {

// Results of Eval.
constexpr int kEvalOk = 0;           // compiled and ran without a run-time error
constexpr int kEvalCompileError = 1; // did not compile (the compiler showed why)
constexpr int kEvalRunError = 2;     // its run ended with a run-time error (shown)

// Compiles text as the body of a new class named "eval" + N (N counts every evaluation
// of the run), makes an instance and runs the class's code to completion in a process of
// its own, nested in whatever is running now, then throws everything away. Values travel
// in and out through "$" globals. A text that does not begin with "extends" gets no
// superclass. An endless loop never returns.
int Eval(std::string_view text);

// Eval under a given class name (the page program runs as "eval"); N does not move.
int EvalNamed(std::string_view text, const std::string& className);

// Eval of "extends Object; $_tmp_valueOf=" + expression + ";", then the cell of the
// global "$_tmp_valueOf" (which keeps the value until the next use); null when there are
// no globals to hold it.
TValue* EvalValue(std::string_view expression);

// How many evaluations have been made (the next class is "eval" + this number).
std::int32_t EvalCount();

}  // namespace varno
