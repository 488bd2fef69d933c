#pragma once
// A bar that shows a fraction from 0 to 1 as the left part of a fill
// picture over a track picture, optionally with a thumb at the fill's end
// and a centred text. It can step toward a target on a timer, and in slider
// mode the user drags the thumb or presses the bar to set the fraction.
//
// The owner given to SetThumb receives, sent at once (the parameter's
// address is valid only during the call):
//   EVT_SCROLL during a drag: three doubles {pixels from the fill's left
//   edge to the thumb, 0.0, fill width};
//   EVT_PROGRESS_CHANGED after a press and at the end of a drag: the
//   progress double.

#include "engine/controls/widgets/ScrollBar.h"
#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

#include <string_view>

namespace engine {

class CanvasObject;
class SpriteObject;

inline constexpr int EVT_PROGRESS_CHANGED = 19840374;

class ProgressBar : public BoundObject {
public:
    // Private codes, delivered to the bar itself.
    static constexpr int kDragStep = 80000001;
    static constexpr int kAnimationTick = 80000002;
    static constexpr int kDragEnd = 80000003;
    static constexpr int kPress = 80000004;
    static constexpr int kReleaseOutside = 80000005; // thumb EVT_LBUTTON_UP
    // The scroll bars' event, with this bar's parameter.
    static constexpr int kScrollEvent = EVT_SCROLL;

    ProgressBar() = default;
    ~ProgressBar() override = default;

    virtual void Create(PictureDesc track, PictureDesc fill, double progress);
    virtual void SetThumb(const PictureDesc& thumb, int owner);
    // Ignored while the thumb is dragged; a running animation goes on from
    // the new value.
    virtual void SetProgress(double fraction);
    // Steps toward the target every interval ms; the end event (may be null)
    // is sent when it is reached. The step's sign is ignored; 0 means 0.01.
    virtual void AnimateTo(double target, double step, uint32_t interval, const EngineEvent* endEvent);
    virtual void Redraw();
    virtual CanvasObject* GetTextCanvas();
    virtual void DrawText(std::string_view text, uint32_t colour, int size);
    // Slider mode on or off; nothing without a thumb. (The bar itself is
    // never dragged: this replaces the plain object's meaning.)
    void SetDraggable(bool on) override;
    virtual double GetProgress() const { return m_progress; }
    virtual void CreateTextCanvas();

    void Show() override;
    void Hide() override;
    int OnEvent(const EngineEvent& event) override;

    SpriteObject* GetTrack() const { return m_track; }
    CanvasObject* GetFillCanvas() const { return m_fill; }
    SpriteObject* GetThumb() const { return m_thumb; }
    bool IsDragging() const { return m_dragging; }

private:
    void OnTick(MessageWord param);
    // The fill canvas's left edge and width in view coordinates.
    double FillLeft() const;
    double FillWidth() const;
    // Clamps view x to the fill and moves the progress there; false (and
    // nothing changed) when the fill has no width.
    bool SetFromX(double& x);
    void SendProgressChanged();
    void LoopThumb();

    PictureDesc m_fillPicture;
    CanvasObject* m_text = nullptr;  // not owned (the object module owns the objects)
    CanvasObject* m_fill = nullptr;  // not owned
    SpriteObject* m_thumb = nullptr; // not owned
    SpriteObject* m_track = nullptr; // not owned
    EngineEvent m_endEvent;
    uint64_t m_token = 0;
    int m_owner = 0;
    bool m_dragging = false;
    double m_progress = 0.0;
    double m_target = 0.0;
    double m_step = 0.01;
    uint32_t m_interval = 100;
};

} // namespace engine
