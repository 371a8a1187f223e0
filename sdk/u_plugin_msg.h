// Message codes and the message record exchanged with the Vostek messenger.
#pragma once

#include <cstddef>
#include <cstdint>

// Messages from the messenger to the plug-in.
enum : int32_t {
    HM_LOADED = 1,
    HM_START = 2,
    HM_STOP = 3,
    HM_RESUME = 4,
    HM_FINISH = 5,
    HM_SHOW_OPTIONS = 6,
    HM_STATUS_INFO = 12,
    HM_LANGUAGE = 28,
};

// Messages from the plug-in to the messenger.
enum : int32_t {
    PM_SET_STATUS_TEXT = 10,
    PM_QUERY_STATUS = 11,
};

// Texts travel as addresses of zero-terminated UTF-16 strings, icon numbers
// as integers in ParamA. Parameters are pointer-sized so that the 64-bit
// build keeps every address whole.
struct THostMessageRec {
    int32_t Code;
    intptr_t ParamA;
    intptr_t ParamB;
    intptr_t ParamC;
    intptr_t Reserved;
    intptr_t Sender;  // the plug-in's module handle
};

#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(THostMessageRec) == 24, "THostMessageRec is 24 bytes");
static_assert(offsetof(THostMessageRec, Code) == 0, "Code at 0");
static_assert(offsetof(THostMessageRec, ParamA) == 4, "ParamA at 4");
static_assert(offsetof(THostMessageRec, ParamB) == 8, "ParamB at 8");
static_assert(offsetof(THostMessageRec, ParamC) == 12, "ParamC at 12");
static_assert(offsetof(THostMessageRec, Reserved) == 16, "Reserved at 16");
static_assert(offsetof(THostMessageRec, Sender) == 20, "Sender at 20");
#else
static_assert(sizeof(THostMessageRec) == 48, "THostMessageRec is 48 bytes");
static_assert(offsetof(THostMessageRec, Code) == 0, "Code at 0");
static_assert(offsetof(THostMessageRec, ParamA) == 8, "ParamA at 8");
static_assert(offsetof(THostMessageRec, ParamB) == 16, "ParamB at 16");
static_assert(offsetof(THostMessageRec, ParamC) == 24, "ParamC at 24");
static_assert(offsetof(THostMessageRec, Reserved) == 32, "Reserved at 32");
static_assert(offsetof(THostMessageRec, Sender) == 40, "Sender at 40");
#endif
