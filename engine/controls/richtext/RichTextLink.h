#pragma once
// The invisible object behind a run of link characters: it keeps the link's
// data, shows an optional highlight picture while the pointer is over the
// run and tells its view when the run is clicked. The view calls it from
// its own mouse handling; it never receives input itself.

#include "engine/objects/BoundObject.h"

#include <string>
#include <string_view>

namespace engine {

class SpriteObject;

class RichTextLink : public BoundObject {
public:
    RichTextLink() = default;
    ~RichTextLink() override;

    virtual void Create(std::string_view data, std::string_view picture, int owner);
    // Posts the open-link event to the owner with a heap copy of the data
    // (an event block the receiver frees): the link may be removed before
    // the event is delivered.
    virtual void OnClick(int x, int y);
    virtual void OnMouseEnter(int x, int y);
    virtual void OnMouseLeave(int x, int y);
    virtual void ShowHandCursor();

    const std::string& GetLinkData() const { return m_data; }
    SpriteObject* GetHighlight() const { return m_highlight; }
    int GetOwner() const { return m_owner; }

private:
    std::string m_data;
    SpriteObject* m_highlight = nullptr; // not owned: the object module owns it
    int m_owner = 0;
};

} // namespace engine
