// Boot: the kernel's start-up, from the kernel resource file to "Ready", and its teardown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varno {

class TResource;

// Installs the layers that boot wires together: the compiler, the interpreter and its
// evaluator, the resource tree's runtime hooks (globals, clones, class compilation with
// the cache, script objects of nodes) and alias registration. Calling it again changes
// nothing.
void InstallHostLayers();

// The kernel boot. With the layers installed: logs the welcome and size lines, makes the
// program directory the resource base directory, loads Kernel\resource.varnores into the
// tree, finds Object, String, Array and usrglobal (boot stops with an error naming any
// that is missing), initializes the tree (every kernel class compiles, from the cache
// when it can), binds the native table, sums the kernel hash, loads and initializes the
// modules, and logs "Ready". Any failure raises EVarno with the text to show; the tree is
// then torn down again. Booting while booted tears the old tree down first.
void Boot();

// Tears the kernel tree down: script values are dropped without running destructors or
// onDestroy, the tree and its classes are destroyed, and the runtime's links to them
// (root, global folder, string and kernel classes) are cleared. Nothing when not booted.
void ShutdownKernel();

bool Booted();

// The kernel hash code (the sum of the hash codes of every file of the tree) and the
// files it was taken over, in tree order.
std::int32_t KernelHashCode();
const std::vector<std::string>& KernelFiles();

}  // namespace varno
