// A plug-in module for the start-up tests: binds natives of its class through the entry table.
#include <cstring>

#include "resources/ModuleApi.h"

namespace {

const VarnoEntryTable* g_table = nullptr;

// twice(n): 2 * n as an integer.
void Twice(VarnoCell* slot, int32_t argCount, int32_t) {
    if (argCount < 1) return;
    g_table->setInt(g_table->thisCell(slot), g_table->intOf(g_table->argCell(slot, 1)) * 2);
}

// describe(v): the length of v's text times 100 plus its type tag; "!" in the text adds 10000.
void Describe(VarnoCell* slot, int32_t argCount, int32_t) {
    if (argCount < 1) return;
    const VarnoCell* arg = g_table->argCell(slot, 1);
    char text[256];
    const int32_t length = g_table->textOf(arg, text, static_cast<int32_t>(sizeof text));
    const int32_t bang = std::strchr(text, '!') != nullptr ? 10000 : 0;
    g_table->setInt(slot, bang + length * 100 + g_table->typeOf(arg));
}

// same(v): v itself, counted; same() with no argument: null.
void Same(VarnoCell* slot, int32_t argCount, int32_t) {
    g_table->copy(slot, argCount >= 1 ? g_table->argCell(slot, 1) : nullptr);
}

}  // namespace

extern "C" void initModule(const VarnoEntryTable* table) {
    g_table = table;
    table->registerNative("modules.Doubler.Twice", "twice", Twice);
    table->registerNative("modules.Doubler.Twice", "describe", Describe);
    table->registerNative("modules.Doubler.Twice", "same", Same);
    table->registerNative("no.such.Class", "twice", Twice);  // not a class: nothing happens
}
