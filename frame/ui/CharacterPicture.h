#pragma once
// The skin's picture of a character figure at a size.

#include <string>

namespace engine {
class GameObject;
}

namespace frame {

// The name of the figure's picture at the size ("Character%dType%d"; 1 the
// portrait, 2 the 48 x 48 head, 3 the large pose), figure 0's when the
// figure has none, empty when neither exists. The finder looks the
// picture up.
std::string CharacterPicture(engine::GameObject& finder, int figure, int size);

} // namespace frame
