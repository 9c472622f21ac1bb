// The binding tables of the language core's natives, one per kernel class, in binding order.
#pragma once

#include <vector>

#include "runtime/Native.h"

namespace varno {

// One native of a class: the method name the kernel class declares and its routine.
struct TNativeEntry {
    const char* name;
    TNativeRoutine routine;
};
using TNativeList = std::vector<TNativeEntry>;

// classes.lang.Array: native_add, _n_insert, native_init, native_get, native_set,
// native_size, native_free, native_delete, native_indexof, native_lightindexof, _n_pack.
TNativeList ArrayNatives();

// classes.lang.Object: the natives of the language core, in the order of the class's row
// (those of files, the screen, resources, pages and the sequencer come from their own
// subsystems and are not listed here).
TNativeList ObjectNatives();

// classes.lang.String: _free_body, native_init, native_strcat, native_substring,
// _n_wsubstring, native_length, _n_wlength, native_charAt, _n_split.
TNativeList StringNatives();

// classes.lang.Process: native_init, native_exec, native_suspend, native_halted,
// native_free, native_kill, native_proc_mark.
TNativeList ProcessNatives();

// classes.game.Char: _changeAttr.
TNativeList CharNatives();

// AbstractHashTable: _n_get, _n_put, _n_remove, _n_size, _n_startFind, _n_hasNext,
// _n_nextKey, _n_destroy; LightHashTable and HashTable: _n_init each.
TNativeList AbstractHashTableNatives();
TNativeList LightHashTableNatives();
TNativeList HashTableNatives();

// Every table above with the class it binds to, in binding order: classes.lang.Array,
// classes.lang.Object, classes.lang.String, classes.lang.Process, classes.game.Char,
// AbstractHashTable, LightHashTable, HashTable (short names are found through their alias).
struct TCoreNativeRow {
    const char* className;
    TNativeList natives;
};
std::vector<TCoreNativeRow> CoreNativeRows();

}  // namespace varno
