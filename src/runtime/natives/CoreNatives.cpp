// The core natives' rows, in the order start-up binds them.
#include "runtime/natives/CoreNatives.h"

namespace varno {

std::vector<TCoreNativeRow> CoreNativeRows() {
    return {{"classes.lang.Array", ArrayNatives()},         {"classes.lang.Object", ObjectNatives()},
            {"classes.lang.String", StringNatives()},       {"classes.lang.Process", ProcessNatives()},
            {"classes.game.Char", CharNatives()},           {"AbstractHashTable", AbstractHashTableNatives()},
            {"LightHashTable", LightHashTableNatives()},    {"HashTable", HashTableNatives()}};
}

}  // namespace varno
