/* The entry table a plug-in module receives: what its initModule may call. C and C++. */
#ifndef VARNO_MODULE_API_H
#define VARNO_MODULE_API_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A script value cell: one tag byte (0 null, 1 integer, 2 float, 3 object, 4 reference,
   5 host object, 6 error, 7 unset), three unused bytes, the 32-bit payload. */
typedef struct VarnoCell {
    uint8_t tag;
    uint8_t unused[3];
    uint32_t payload;
} VarnoCell;

/* A native routine: slot is the receiver cell, which also receives the result; argument i
   (1-based) lies i cells below it; zero is always 0. */
typedef void (*VarnoNative)(VarnoCell* slot, int32_t argCount, int32_t zero);

/* The eight entries, in this order, one pointer-sized cell each. */
typedef struct VarnoEntryTable {
    /* 0: binds routine to the native method name of the class with that dotted name;
       nothing happens when the name is not a class. */
    void (*registerNative)(const char* className, const char* functionName, VarnoNative routine);
    /* 1: the cell holding the receiver on entry and the result on return (slot itself). */
    VarnoCell* (*thisCell)(VarnoCell* slot);
    /* 2: the cell of argument i (1-based): i cells below slot. */
    VarnoCell* (*argCell)(VarnoCell* slot, int32_t i);
    /* 3: the tag byte of a cell. */
    int32_t (*typeOf)(const VarnoCell* cell);
    /* 4: an integer's value, a float truncated toward zero, 1 for an object, else 0. */
    int32_t (*intOf)(const VarnoCell* cell);
    /* 5: writes the cell's display text and a NUL into buffer, which must be large enough;
       returns the number of characters written without the NUL. The third argument is
       not used. */
    int32_t (*textOf)(const VarnoCell* cell, char* buffer, int32_t unused);
    /* 6: copies source into destination with reference counting; a null source pointer
       makes the destination null. */
    void (*copy)(VarnoCell* destination, const VarnoCell* source);
    /* 7: the cell becomes the integer (its old value released); returns the integer. */
    int32_t (*setInt)(VarnoCell* cell, int32_t value);
} VarnoEntryTable;

/* What a module library exports: called once at start-up, after its classes compiled. */
typedef void (*VarnoInitModule)(const VarnoEntryTable* table);

#ifdef __cplusplus
}
#endif

#endif
