#pragma once
// Module ids, engine result codes and the numbered messages that modules
// send and post to each other through GameCore.
//
// 64-bit note for every engine record: the engine's events and module
// messages were laid out for 32-bit words that may hold pointers. In memory
// those words are pointer-sized here (MessageWord), and records kept in pools
// are sized with sizeof, never with the 32-bit byte counts. Every file and
// network format stays byte-exact: it is read and written field by field,
// little-endian, with static_assert'ed sizes, and never by casting bytes
// onto one of these structs.

#include <cstdint>

namespace engine {

// Module ids.
inline constexpr int MODULE_RESOURCE = 1001;
inline constexpr int MODULE_OBJECT = 1002;
inline constexpr int MODULE_PAINT = 1003;
inline constexpr int MODULE_MUSIC = 1004;
inline constexpr int MODULE_INPUT = 1005;
// No module has this id: notices of faults are addressed to it.
inline constexpr int MODULE_NOTIFY_SINK = 1010;
// Target 0 addresses the core itself.
inline constexpr int MODULE_CORE = 0;

// Result codes.
inline constexpr int ORBITVANE_RETURN_OK = 10000;
inline constexpr int ORBITVANE_RETURN_MODULE_INITIAL_FAILD = -99997;
inline constexpr int ORBITVANE_RETURN_MODULE_NOT_FOUND = -99998;
inline constexpr int ORBITVANE_RETURN_MODULE_CRASH = -99999;

// Notices to MODULE_NOTIFY_SINK.
inline constexpr int NOTE_MODULE_ERROR = 1002;
inline constexpr int NOTE_DUPLICATE_MODULE = 1003;
inline constexpr int NOTE_MODULE_INIT_FAILED = 1004;
inline constexpr int NOTE_QUEUE_OVERFLOW = 1005;
inline constexpr int NOTE_BAD_COLOUR_DEPTH = 1006;

// Core commands (target 0); data points to a module id, or is the module.
inline constexpr int MODMSG_CORE_ENABLE = 1008;
inline constexpr int MODMSG_CORE_DISABLE = 1009;
inline constexpr int MODMSG_CORE_LOAD = 1010;
inline constexpr int MODMSG_CORE_UNLOAD = 1011;

// To the object module.
inline constexpr int MODMSG_OBJ_REMOVE = 1015;
inline constexpr int MODMSG_OBJ_DELIVER_POSTED = 1016;
inline constexpr int MODMSG_OBJ_SEND_EVENT = 1017;
inline constexpr int MODMSG_OBJ_POST_EVENT = 1018;
inline constexpr int MODMSG_OBJ_SEND_AND_FREE = 1019;
inline constexpr int MODMSG_OBJ_INPUT_EVENT = 1020;
inline constexpr int MODMSG_OBJ_UPDATE = 1021;
inline constexpr int MODMSG_OBJ_ADD_ACTION = 1023;
inline constexpr int MODMSG_OBJ_BEGIN_GROUP = 1024;
inline constexpr int MODMSG_OBJ_NEXT_GROUP = 1025;
inline constexpr int MODMSG_OBJ_END_GROUP = 1026;
inline constexpr int MODMSG_OBJ_CANCEL_ACTION = 1027;
inline constexpr int MODMSG_OBJ_CANCEL_GROUP = 1028;
inline constexpr int MODMSG_OBJ_CANCEL_OBJECT_ACTIONS = 1029;
inline constexpr int MODMSG_OBJ_REDRAW_ALL = 1030;

// To the paint module.
inline constexpr int MODMSG_PAINT_RENDER = 1033;
inline constexpr int MODMSG_PAINT_PRESENT = 1034;
inline constexpr int MODMSG_PAINT_FREE_IMAGE = 1035;

// To the resource module.
inline constexpr int MODMSG_RES_ADD_FILE = 1038;
inline constexpr int MODMSG_RES_ADD_DIRECTORY = 1039;
inline constexpr int MODMSG_RES_LOAD_PACK_FILE = 1040;
inline constexpr int MODMSG_RES_LOAD_PACK_MEMORY = 1041;

// To the input module.
inline constexpr int MODMSG_INPUT_FREE_EVENT = 1044;
inline constexpr int MODMSG_INPUT_ENABLE = 1045;
inline constexpr int MODMSG_INPUT_DISABLE = 1046;

// A message word: a value, an id or a pointer, as the message defines.
using MessageWord = uintptr_t;

template <typename T>
MessageWord ToWord(T* pointer)
{
    return reinterpret_cast<MessageWord>(pointer);
}

template <typename T>
T* FromWord(MessageWord word)
{
    return reinterpret_cast<T*>(word);
}

// Frees what a posted message carries when the core drops it undelivered
// (no module takes it, its module's queue overflowed, or the core is
// destroyed). A delivered message's records belong to the receiver.
using MessageRelease = void (*)(int msg, MessageWord data, MessageWord extra);

struct ModuleMessage {
    int target = 0;
    int msg = 0;
    MessageWord data = 0;
    MessageWord extra = 0;
    MessageRelease release = nullptr;
};

} // namespace engine
