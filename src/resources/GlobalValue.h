// TGlobalValue and TfParam: the resource nodes of a "$" global variable and of a project parameter.
#pragma once

#include <string>

#include "runtime/Resource.h"

namespace varno {

// A global variable: its cell (first the unset value naming it) and the statement text
// that sets it at each initialization pass ("value" attribute).
class TGlobalValue : public TResource {
public:
    TGlobalValue(std::string name, std::string src, std::string valueText);
    ~TGlobalValue() override;
    const char* hostClassName() const override { return "TGlobalValue"; }

    TValue& Value() { return m_value; }
    const std::string& ValueText() const { return m_valueText; }
    void SetValueText(std::string text) { m_valueText = std::move(text); }

    TValue* ValueCell() override { return &m_value; }
    // Counts Done, then runs Name + "=" + ValueText + ";" when ValueText is not empty
    // (on every pass that reaches it).
    void InitStep(TInitContext& context) override;
    // Writes the value the variable holds now: an integer as digits, a string in double
    // quotes, anything else as the empty text.
    void WriteTo(TLines& lines, const std::string& indent) override;
    void DropScriptValues() override;
    void MarkValues(ICollector& collector) override;

private:
    TValue m_value;
    std::string m_valueText;
};

// A project parameter: a name and a text value.
class TfParam : public TResource {
public:
    TfParam(std::string name, std::string src, std::string valueText)
        : TResource(std::move(name), std::move(src)), m_valueText(std::move(valueText)) {}
    const char* hostClassName() const override { return "TfParam"; }

    const std::string& ValueText() const { return m_valueText; }
    void SetValueText(std::string text) { m_valueText = std::move(text); }

    void WriteTo(TLines& lines, const std::string& indent) override;

private:
    std::string m_valueText;
};

}  // namespace varno
