// Global-variable and parameter nodes: initialization statements and the lines they write.
#include "resources/GlobalValue.h"

#include "base/Error.h"

#include "resources/ResourceTree.h"
#include "resources/TagText.h"
#include "runtime/Log.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {

TGlobalValue::TGlobalValue(std::string name, std::string src, std::string valueText)
    : TResource(std::move(name), std::move(src)), m_valueText(std::move(valueText)) {
    m_value = TValue::Unset(Intern(Name()));
}

TGlobalValue::~TGlobalValue() {
    try {
        SetNull(m_value);
    } catch (const EVarno& e) {
        Log(e.what());  // a broken count is reported, never thrown out of a destructor
    }
}

void TGlobalValue::InitStep(TInitContext& context) {
    ++context.Done;
    if (!m_valueText.empty()) EvaluateScript(Name() + "=" + m_valueText + ";");
}

void TGlobalValue::WriteTo(TLines& lines, const std::string& indent) {
    m_valueText.clear();
    if (const TValue* cell = GlobalCell(Name())) {
        if (cell->tag == tvInt) {
            m_valueText = std::to_string(cell->asInt());
        } else if (IsStringValue(*cell)) {
            m_valueText = "\"" + StringText(AsObject(*cell)) + "\"";
        }
    }
    lines.push_back(GlobalValueLine(indent, Name(), m_valueText));
}

void TGlobalValue::DropScriptValues() {
    TResource::DropScriptValues();
    if (m_value.tag == tvObject || m_value.tag == tvNative) m_value = TValue::Null();
}

void TGlobalValue::MarkValues(ICollector& collector) {
    TResource::MarkValues(collector);
    collector.markValue(m_value);
}

void TfParam::WriteTo(TLines& lines, const std::string& indent) {
    lines.push_back(ParamLine(indent, Name(), m_valueText));
}

}  // namespace varno
