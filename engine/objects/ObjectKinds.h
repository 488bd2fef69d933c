#pragma once
// What EngineObject::GetKind answers for the engine's own object classes.

namespace engine {

inline constexpr int OBJKIND_PLAIN = 1; // also rectangle objects
inline constexpr int OBJKIND_SPRITE = 2;
inline constexpr int OBJKIND_CANVAS = 3;
inline constexpr int OBJKIND_BOUND = 4;

} // namespace engine
