// Resource files and texts into nodes: the tag table, link, and adding, deleting and saving by dotted name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/Resource.h"

namespace varno {

class TSGML;

// Makes the node of a tag whose kind another subsystem supplies (generator, cpattern):
// the element, its name, and its src resolved against the base directory.
using TResourceFactory =
    std::function<std::unique_ptr<TResource>(const TSGML& element, std::string name, std::string src)>;

// Adds a tag to the tag table (letter case significant). Tags of the table's own kinds
// (resourcelist, classlist, class, globalvalue, link, param, module) cannot be replaced.
void RegisterResourceKind(std::string tag, TResourceFactory factory);

// The node of one element, its src attributes and links resolved against baseDir:
// the tag table, then a custom resource when classes.customres.TAG is a class; else the
// message TAG + ": Invalid Tag Name" and none. A folder skips children that make no node.
std::unique_ptr<TResource> BuildResource(const TSGML& element, std::string_view baseDir);

// Reads the file at path (resolved against the resource base directory) and builds its
// top element with the file's own directory as the base; the node's Src is the resolved
// path. A missing file shows path + " is not found." and raises EFileOpenError; a text
// without element, or whose top element makes no node, raises EMarkupError; so does a file
// that links itself, directly or through others, and a chain of links nested more than 64
// files deep.
std::unique_ptr<TResource> LoadResourceFile(std::string_view path);

// Scans the first element of text and builds it against the resource base directory.
// Raises EMarkupError when the text holds no element or its element makes no node.
std::unique_ptr<TResource> ReadResourceText(const std::string& text);

// What AddByName makes.
enum class TAddKind : int { Folder = 0, GlobalValue = 1, Class = 2, LinkedFile = 3 };

// Makes a node named after the last part of dottedName and adds it to the node named by
// the part before the last "." (the root without a "."), when that exists. A class or
// linked file missing at path is first created (a class extending classes.lang.Object,
// an empty folder). The node's Src is path as given. Returns the node, owned by the tree
// or, when there is no parent, by nobody: it is then destroyed and null returned.
TResource* AddByName(std::string_view path, std::string_view dottedName, TAddKind kind);

// Names folder after the last part of dottedName and adds it to the node before it.
void InsertByName(std::string_view dottedName, std::unique_ptr<TResource> folder);

// Removes and destroys the node of that name from its parent, when both exist.
void DeleteByName(std::string_view dottedName);

// Writes node into its Src (lines with CR LF). A node without Src shows its dotted name +
// " Cannot be saved."; a Src outside the writable directories shows the path + " Cannot be
// saved." too. Raises EFileOpenError when the file cannot be written.
void SaveResource(TResource& node);
void SaveByName(std::string_view dottedName);

// The runtime hooks of the tree: "$" globals at the root, reading a clone back, the
// relative source path of class lines.
void InstallResourceHooks();

}  // namespace varno
