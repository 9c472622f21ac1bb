// The checkpointed program builder.
#include "runtime/MultiEvaluator.h"

#include "base/Path.h"

namespace varno {

TMultiEvaluator::TMultiEvaluator() { m_items.emplace_back("extends Object; $_exec_checkPoint=-1;"); }

void TMultiEvaluator::Add(std::string_view statement) {
    std::string item(statement);
    item += "\r\n$_exec_checkPoint=";
    item += std::to_string(m_items.size());
    item += ';';
    m_items.push_back(std::move(item));
}

std::string TMultiEvaluator::Text() const {
    std::string text;
    for (const std::string& item : m_items) {
        text += item;
        text += "\r\n";
    }
    return text;
}

bool TMultiEvaluator::SaveToFile(const std::filesystem::path& path) const { return WriteFileBytes(path, Text()); }

}  // namespace varno
