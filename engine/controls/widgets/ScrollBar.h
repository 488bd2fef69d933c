#pragma once
// A vertical or horizontal bar with a draggable thumb, a clickable track
// and optional arrow buttons. It keeps three numbers its owner gives it
// (position, visible length, content length), draws the thumb in
// proportion and tells the owner of every change the user makes by sending
// EVT_SCROLL; it never scrolls anything itself.
//
// The bar's reported size and position are the track's; the arrow buttons
// lie outside the track, before and after it.

#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

namespace engine {

class CanvasObject;
class SpriteObject;

// Sent to the owner: param is the address of three doubles {position,
// visible length, content length}, valid during the call only.
inline constexpr int EVT_SCROLL = 19840362;
inline constexpr int EVT_SCROLL_RIGHT = 19840363;
inline constexpr int EVT_SCROLL_LEFT = 19840364;
inline constexpr int EVT_SCROLL_UP = 19840365;
inline constexpr int EVT_SCROLL_DOWN = 19840366;

class ScrollBar : public BoundObject {
public:
    // Thumb looks, carried in the thumb picture's frame.
    static constexpr int kThumbNormal = 0;
    static constexpr int kThumbHover = 1;
    static constexpr int kThumbPressed = 2;

    ScrollBar() = default;
    ~ScrollBar() override = default;

    // vertical: nonzero for a vertical bar. reserved is kept, not used.
    virtual void Create(int owner, int width, int height, int vertical, int reserved);
    // The grip drawn over the thumb.
    virtual void SetThumbPicture(const PictureDesc& picture);
    // Arrow buttons sending EVT_SCROLL_UP and _DOWN (vertical bars) or
    // EVT_SCROLL_LEFT and _RIGHT (horizontal bars) to the owner; nothing on
    // a bar of the other orientation.
    virtual void CreateUpButton(PictureDesc picture);
    virtual void CreateDownButton(PictureDesc picture);
    virtual void CreateLeftButton(PictureDesc picture);
    virtual void CreateRightButton(PictureDesc picture);
    virtual void SetTrackImage(const PictureDesc& picture);
    virtual void SetThumbImage(const PictureDesc& picture);
    // Along the bar's axis: the track plus the arrows that exist.
    virtual int GetTrackLength();
    virtual int GetThumbLength();
    virtual void SetWheelStep(double step);
    // step -1.0 keeps the stored step.
    virtual void SetRange(double position, double visible, double content, double step);
    virtual void NotifyOwner();
    virtual void Redraw();
    virtual void SetMinThumbLength(double length);

    void ScaleTo(double width, double height) override;
    int OnEvent(const EngineEvent& event) override;

    double GetPosition() const { return m_position; }
    double GetVisibleLength() const { return m_visible; }
    double GetContentLength() const { return m_content; }
    double GetWheelStep() const { return m_step; }
    bool IsVertical() const { return m_vertical != 0; }
    int GetOwner() const { return m_owner; }
    int GetReserved() const { return m_reserved; }
    int GetThumbState() const { return m_thumbPicture.frame; }
    CanvasObject* GetThumb() const { return m_thumb; }
    CanvasObject* GetTrack() const { return m_track; }
    SpriteObject* GetGrip() const { return m_grip; }
    // The arrow buttons (image buttons), or null.
    EngineObject* GetFirstArrow() const { return m_firstArrow; }
    EngineObject* GetSecondArrow() const { return m_secondArrow; }

private:
    void MakeArrow(const PictureDesc& picture, bool first, int code);
    void SetThumbState(int state);
    void OnThumbDrag(const InputState& input);
    void OnTrackPress(const InputState& input);
    // Length of an arrow along the axis (0 when absent).
    double ArrowLength(const EngineObject* arrow) const;

    CanvasObject* m_thumb = nullptr; // not owned: a child of the track
    int m_vertical = 1;
    int m_reserved = 0;
    int m_owner = 0;
    double m_position = 0.0;
    double m_visible = 0.0;
    double m_content = 0.0;
    double m_minThumb = 15.0;
    double m_step = 0.0;
    EngineObject* m_firstArrow = nullptr;  // not owned: linked to the track, owned there
    EngineObject* m_secondArrow = nullptr; // not owned: linked to the track, owned there
    PictureDesc m_thumbPicture;
    PictureDesc m_trackPicture;
    CanvasObject* m_track = nullptr; // not owned: the bound child
    SpriteObject* m_grip = nullptr;  // not owned: a child of the thumb
};

} // namespace engine
