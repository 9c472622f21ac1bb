// The exact lines the resource writers produce for each tag of the markup's catalogue.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varno {

// Every attribute value passes through EscapeAttr. Folder, class, global-value and parameter
// lines carry the indent they are given; generator, pattern and page lines have none.

// indent + <resourcelist name="NAME">   and   indent + </resourcelist>
std::string ResourceListOpenLine(std::string_view indent, std::string_view name);
std::string ResourceListCloseLine(std::string_view indent);

// indent + <class name="NAME" src="SRC" category="CATEGORY"/>
std::string ClassLine(std::string_view indent, std::string_view name, std::string_view relativeSrc,
                      std::string_view category);

// indent + <globalvalue name="NAME" value="VALUE"/>
std::string GlobalValueLine(std::string_view indent, std::string_view name, std::string_view valueText);

// indent + <param name="NAME" value="VALUE"/>
std::string ParamLine(std::string_view indent, std::string_view name, std::string_view value);

// <generator className="C" name="N" src="S" inst_F="V" ... const_P="V" .../>. src is left out
// when relativeSrc is empty (a generator without a source). insts and consts are entries
// "F=value" and "P=value" in their order; the name is the text before the first "=".
std::string GeneratorLine(std::string_view className, std::string_view name, std::string_view relativeSrc,
                          const std::vector<std::string>& insts, const std::vector<std::string>& consts);

// <cpattern name="NAME" src="SRC"/>
std::string CPatternLine(std::string_view name, std::string_view relativeSrc);

// <page name="NAME" src="FILE"/>, the text of a new page entry.
std::string PageEntryText(std::string_view name, std::string_view pageFile);

// <resinst type="string" name="FIELD" value="TEXT"/>, a custom resource's string field.
std::string ResinstText(std::string_view field, std::string_view text);

}  // namespace varno
