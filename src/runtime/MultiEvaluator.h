// TMultiEvaluator: builds a longer generated program whose statements leave numbered checkpoints.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varno {

// The program starts with "extends Object; $_exec_checkPoint=-1;" and every added
// statement is followed by "$_exec_checkPoint=" + k + ";", k counting the statements
// added so far. After a run the global holds the number of the last statement that
// completed; a run-time error leaves it at the one before the failing statement.
class TMultiEvaluator {
public:
    TMultiEvaluator();

    // Appends one item: statement, CR LF, then the checkpoint assignment.
    void Add(std::string_view statement);

    const std::vector<std::string>& Items() const { return m_items; }
    // The items, each followed by CR LF: the program's text.
    std::string Text() const;
    // Writes Text() to a file; false when it could not be written.
    bool SaveToFile(const std::filesystem::path& path) const;

private:
    std::vector<std::string> m_items;
};

}  // namespace varno
