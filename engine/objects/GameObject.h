#pragma once
// The engine object through which interface and game code reach the rest of
// the engine: every operation here looks its module up through the object's
// core and calls it (or posts it a message), so no control, panel or view
// holds a module pointer of its own. Nothing is created as a plain
// GameObject: controls derive from BoundObject, views from RectObject.
//
// Every service checks that its module is loaded; when it is not, it does
// nothing (or returns 0, null or an empty descriptor) and writes a line to
// the engine run log. The property services also work without a core.
//
// Calling order: creators, group operations, deferred removal and every
// posted message act on the object module's next turn, in the order posted;
// sends (NotifyHost, the resource messages, immediate removal) act before
// the call returns. User-interface thread only.

#include "engine/core/EngineObject.h"
#include "engine/core/InputState.h"
#include "engine/core/PictureData.h"
#include "platform/Cursor.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;
class DrawingObjectModule;
class GdiPaintModule;
class InputModule;
class ModuleBase;
class ObjectModule;
class ResourceModule;
class SpriteObject;
struct ActionGroup;

inline constexpr uint32_t kMinActionInterval = 30;
// The delayed call's data: what fits its block beside the function.
inline constexpr size_t kCallLaterDataBytes = 60;

// The function CallLater runs with its copy of the data (valid during the
// call only).
using LaterCall = void (*)(void* data);

class GameObject : public EngineObject {
public:
    ~GameObject() override = default;

    // Modules (null when not loaded, and without a core).
    virtual ObjectModule* GetObjectModule();
    virtual GdiPaintModule* GetPaintModule();
    virtual ResourceModule* GetResourceModule();
    virtual ModuleBase* GetMusicModule();
    virtual InputModule* GetInputModule();

    // System overlays. The message and detail panels come from the
    // installed overlay panel maker (OverlayPanel.h); without one they log
    // and show nothing.
    virtual void ShowMessagePanel(std::string_view text, const EngineEvent* ok, const EngineEvent* cancel,
        int seconds);
    virtual void ShowSystemDetail();
    virtual void ShowSystemNote(int flag);
    virtual uint64_t ShowSystemBoard(const char* text, int seconds);
    // Sends {property 16, property 17, param, data} when both are nonzero.
    virtual void NotifyHost(MessageWord param, MessageWord data);
    virtual void CloseSystemBoard();
    virtual CanvasObject* FindSystemBoard();

    // Core properties.
    virtual int GetScreenWidth();
    virtual int GetScreenHeight();
    virtual Rect* GetViewRect(Rect* out);
    virtual uint32_t GetTime();
    virtual void SetIntProperty(int id, int value);
    // -1 when absent, -2 without a core.
    virtual int GetIntProperty(int id);
    virtual void SetStringProperty(int id, std::string_view text);
    virtual const std::string* GetStringProperty(int id);

    // Resources and pictures.
    // The first hash of the new entry's key; 0 when the file cannot be read.
    virtual uint32_t AddResourceFile(std::string_view path, const char* name);
    virtual bool AddResourceDirectory(const std::string& path);
    virtual bool LoadResourcePack(const std::string& path);
    virtual bool LoadResourcePackFromMemory(const void* bytes, size_t size);
    // The descriptor of frame of the picture, or an empty one (logged).
    virtual PictureDesc* LookupPicture(PictureDesc* out, std::string_view name, int frame);
    // Has the pictures of names decoded on a worker thread ahead of their
    // first LookupPicture (nothing without a paint module).
    void DecodePicturesAhead(std::initializer_list<std::string_view> names);
    virtual void FreePicture(std::string_view name, bool releaseResource);
    virtual int SavePicture(std::string_view name, std::string_view path);
    virtual const char* GetResourceData(std::string_view name);

    // Painting.
    virtual void PaintImage(const PictureDesc& desc, int x, int y, int width, int height, double angle);
    virtual void ClearScreen(uint32_t colour);
    virtual void RedrawAll();

    // Input.
    virtual void ListenInput(int code, const EngineEvent& event);
    virtual void UnlistenInput(int code);
    virtual int SetInputListener(int id);
    virtual void SetModalObject(int id);
    virtual void RefreshMouse();

    // Objects; the new object is registered under this one.
    virtual EngineObject* CreateObject();
    virtual SpriteObject* CreateSprite(const PictureDesc& desc);
    virtual CanvasObject* CreateCanvas(int width, int height, uint32_t background);
    // A soft black shadow below a sprite or canvas, linked to follow it.
    virtual CanvasObject* CreateShadow(EngineObject* object);
    virtual EngineObject* FindObjectByName(const std::string& name);
    virtual EngineObject* FindObjectById(int id);
    virtual void RemoveObject(EngineObject* object, int deferred);

    // Sounds (channel 0 is the MIDI player).
    virtual int PlaySound(std::string_view name, int loops, const EngineEvent* endEvent);
    virtual void StopSound(int channel);
    virtual void ResumeSound(int channel, int restart);
    virtual void PauseSound(int channel);
    virtual void UnloadSound(std::string_view name);
    virtual void StopAllSounds();
    virtual void SetMute(int flag);

    // Action groups (act on the object module's next turn).
    virtual ActionGroup* BeginActionGroup();
    virtual ActionGroup* NextActionGroup();
    virtual void EndActionGroup();
    virtual void CancelActionGroup(ActionGroup* group);
    virtual void CancelActionsOf(int id);
    virtual void CancelAction(uint64_t id);

    // Cursor and focus.
    virtual void SetCursor(platform::CursorHandle cursor);
    virtual void SetCursorFromFile(const std::string& path);
    virtual void ShowCursor(int flag);
    virtual int SetFocus(int id);
    virtual int ExchangeInputListener(int id) { return SetInputListener(id); }
    virtual InputState* GetInputState(InputState* out);
    virtual uint32_t GetMinActionInterval() { return kMinActionInterval; }

    // Timed-action creators: the action's id, or 0 when refused.
    virtual uint64_t PulseOpacity(EngineObject* object, double step, int cycles, uint32_t interval, double upper,
        double lower, const EngineEvent* event);
    virtual uint64_t RotateStep(EngineObject* object, double step, double target, uint32_t interval,
        const EngineEvent* event);
    virtual uint64_t FadeOpacity(EngineObject* object, double step, double target, uint32_t interval,
        const EngineEvent* event);
    virtual uint64_t ShowLater(EngineObject* object, bool show, const EngineEvent* event);
    virtual uint64_t MoveTowards(EngineObject* object, int x, int y, double speed, double acceleration,
        double limit, const EngineEvent* event);
    virtual uint64_t Delay(uint32_t ms, const EngineEvent* event);
    virtual uint64_t WaitTime(uint32_t ms, const EngineEvent* event);
    virtual uint64_t RepeatEvent(uint32_t interval, int count, const EngineEvent* event);
    virtual uint64_t PlayFrames(SpriteObject* sprite, int mode, int value, int startFrame, uint32_t interval,
        const EngineEvent* event);
    virtual uint64_t PlaySoundLater(std::string_view name, int loops, const EngineEvent* event);
    virtual uint64_t RemoveLater(EngineObject* object, const EngineEvent* event);
    virtual uint64_t ResizeTowards(EngineObject* object, int startWidth, int startHeight, int targetWidth,
        int targetHeight, int widthStep, int heightStep, const EngineEvent* event);
    virtual uint64_t FlipOver(SpriteObject* sprite, int step, int endAngle, const PictureDesc& other,
        uint32_t interval, const EngineEvent* event);
    // Refused when the data does not fit the action's block (more than
    // kCallLaterDataBytes) or is missing.
    virtual uint64_t CallLater(LaterCall function, const void* data, size_t length);

    // The frame lock of the object's core.
    void LockCore();
    void UnlockCore();

protected:
    GameObject() = default;

private:
    // The module of the id, or null with a log line naming the service.
    ModuleBase* Module(int id, const char* service) const;
    DrawingObjectModule* Drawing(const char* service) const;
};

} // namespace engine
