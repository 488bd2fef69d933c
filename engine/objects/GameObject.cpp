#include "engine/objects/GameObject.h"

#include "engine/core/EngineRunLog.h"
#include "engine/core/GameCore.h"
#include "engine/core/NameKey.h"
#include "engine/core/ObjectModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/GdiPaintModule.h"
#include "engine/modules/InputModule.h"
#include "engine/modules/PpsCodec.h"
#include "engine/modules/ResourceModule.h"

#include <algorithm>
#include <type_traits>
#include <array>
#include <vector>

namespace engine {

namespace {

const char* ModuleName(int id)
{
    switch (id) {
    case MODULE_RESOURCE: return "ResourceModule";
    case MODULE_OBJECT: return "ObjectModule";
    case MODULE_PAINT: return "PaintModule";
    case MODULE_MUSIC: return "MusicModule";
    case MODULE_INPUT: return "InputModule";
    default: return "module";
    }
}

// Calls the music module through the table the host gave the object module;
// without the module or the table, logs and answers 0.
template <typename Field, typename... Args>
int CallMusic(GameCore* core, const char* service, Field SoundCalls::*field, Args... args)
{
    ModuleBase* music = core ? core->FindModule(MODULE_MUSIC) : nullptr;
    auto* objects = core ? dynamic_cast<DrawingObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
    const Field call = objects ? objects->GetSoundCalls().*field : nullptr;
    if (!music || !call) {
        LogPrintf("%s: MusicModule is not loaded", service);
        return 0;
    }
    if constexpr (std::is_same_v<decltype(call(*music, args...)), void>) {
        call(*music, args...);
        return 0;
    } else {
        return call(*music, args...);
    }
}

} // namespace

ModuleBase* GameObject::Module(int id, const char* service) const
{
    GameCore* core = GetCore();
    ModuleBase* module = core ? core->FindModule(id) : nullptr;
    if (!module)
        LogPrintf("%s: %s is not loaded", service, ModuleName(id));
    return module;
}

DrawingObjectModule* GameObject::Drawing(const char* service) const
{
    auto* module = dynamic_cast<DrawingObjectModule*>(Module(MODULE_OBJECT, service));
    if (!module && GetCore() && GetCore()->FindModule(MODULE_OBJECT))
        LogPrintf("%s: the object module draws no sprites or canvases", service);
    return module;
}

// Modules.

ObjectModule* GameObject::GetObjectModule()
{
    GameCore* core = GetCore();
    return core ? dynamic_cast<ObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
}

GdiPaintModule* GameObject::GetPaintModule()
{
    GameCore* core = GetCore();
    return core ? dynamic_cast<GdiPaintModule*>(core->FindModule(MODULE_PAINT)) : nullptr;
}

ResourceModule* GameObject::GetResourceModule()
{
    GameCore* core = GetCore();
    return core ? dynamic_cast<ResourceModule*>(core->FindModule(MODULE_RESOURCE)) : nullptr;
}

ModuleBase* GameObject::GetMusicModule()
{
    GameCore* core = GetCore();
    return core ? core->FindModule(MODULE_MUSIC) : nullptr;
}

InputModule* GameObject::GetInputModule()
{
    GameCore* core = GetCore();
    return core ? dynamic_cast<InputModule*>(core->FindModule(MODULE_INPUT)) : nullptr;
}

// Core properties.

int GameObject::GetScreenWidth()
{
    auto* paint = dynamic_cast<PaintModule*>(Module(MODULE_PAINT, "GetScreenWidth"));
    return paint ? paint->GetWidth() : 0;
}

int GameObject::GetScreenHeight()
{
    auto* paint = dynamic_cast<PaintModule*>(Module(MODULE_PAINT, "GetScreenHeight"));
    return paint ? paint->GetHeight() : 0;
}

Rect* GameObject::GetViewRect(Rect* out)
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "GetViewRect"));
    if (out)
        *out = objects ? objects->GetViewRect() : Rect {};
    return out;
}

uint32_t GameObject::GetTime()
{
    GameCore* core = GetCore();
    return core ? core->GetTime() : 0;
}

void GameObject::SetIntProperty(int id, int value)
{
    if (GameCore* core = GetCore())
        core->SetIntProperty(id, value);
}

int GameObject::GetIntProperty(int id)
{
    GameCore* core = GetCore();
    return core ? core->GetIntProperty(id) : -2;
}

void GameObject::SetStringProperty(int id, std::string_view text)
{
    if (GameCore* core = GetCore())
        core->SetStringProperty(id, std::string(text));
}

const std::string* GameObject::GetStringProperty(int id)
{
    GameCore* core = GetCore();
    return core ? core->GetStringProperty(id) : nullptr;
}

void GameObject::NotifyHost(MessageWord param, MessageWord data)
{
    const int target = GetIntProperty(PROP_NOTIFY_TARGET);
    const int code = GetIntProperty(PROP_NOTIFY_CODE);
    if (target <= 0 || code == 0 || code == -1 || !GetCore())
        return;
    SendEvent(EngineEvent(target, code, param, data));
}

// Resources and pictures.

uint32_t GameObject::AddResourceFile(std::string_view path, const char* name)
{
    auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "AddResourceFile"));
    if (!resources)
        return 0;
    return resources->AddFile(path, name).rs;
}

// The module answers these with the number of files or records it took,
// which a send would turn into "failed" (a send succeeds only on 10000); the
// operations are called directly, and success means something was taken.
bool GameObject::AddResourceDirectory(const std::string& path)
{
    auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "AddResourceDirectory"));
    return resources && resources->AddDirectory(path) > 0;
}

bool GameObject::LoadResourcePack(const std::string& path)
{
    auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "LoadResourcePack"));
    return resources && resources->LoadPackFile(path) > 0;
}

bool GameObject::LoadResourcePackFromMemory(const void* bytes, size_t size)
{
    auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "LoadResourcePackFromMemory"));
    return resources && bytes && resources->LoadPackMemory(bytes, size) > 0;
}

PictureDesc* GameObject::LookupPicture(PictureDesc* out, std::string_view name, int frame)
{
    if (!out)
        return out;
    *out = PictureDesc {};
    auto* paint = dynamic_cast<PaintModule*>(Module(MODULE_PAINT, "LookupPicture"));
    if (paint)
        paint->GetImageInfo(*out, name, frame);
    if (!out->record) {
        const std::string text(name);
        LogPrintf("res \"%s\" does not exists!", text.c_str());
        *out = PictureDesc {};
    }
    return out;
}

void GameObject::DecodePicturesAhead(std::initializer_list<std::string_view> names)
{
    GameCore* core = GetCore();
    if (auto* paint = dynamic_cast<PaintModule*>(core ? core->FindModule(MODULE_PAINT) : nullptr))
        paint->DecodeAhead(names);
}

void GameObject::FreePicture(std::string_view name, bool releaseResource)
{
    auto* paint = dynamic_cast<PaintModule*>(Module(MODULE_PAINT, "FreePicture"));
    if (!paint)
        return;
    if (releaseResource) {
        PictureDesc desc;
        paint->GetImageInfo(desc, name, 0);
        if (auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "FreePicture")))
            resources->Release(desc.key);
    }
    paint->RemoveImage(name);
}

int GameObject::SavePicture(std::string_view name, std::string_view path)
{
    PictureDesc desc;
    LookupPicture(&desc, name, 0);
    if (!desc.record)
        return 0;
    const std::array<uint8_t, 32> options {};
    std::vector<uint8_t> encoded = EncodePps(*desc.record, options.data(), 6);
    if (encoded.empty())
        return 0;
    return SavePps(encoded.data(), encoded.size(), path) ? 1 : 0;
}

const char* GameObject::GetResourceData(std::string_view name)
{
    auto* resources = dynamic_cast<ResourceModule*>(Module(MODULE_RESOURCE, "GetResourceData"));
    if (!resources)
        return nullptr;
    const NameKey key = MakeNameKey(name);
    return resources->Exists(key) ? resources->GetData(key) : nullptr;
}

// Painting.

void GameObject::PaintImage(const PictureDesc& desc, int x, int y, int width, int height, double angle)
{
    auto* paint = dynamic_cast<GdiPaintModule*>(Module(MODULE_PAINT, "PaintImage"));
    if (!paint)
        return;
    if (width < 1)
        width = paint->GetWidth();
    if (height < 1)
        height = paint->GetHeight();
    paint->DrawImage(desc, x, y, width, height, angle);
}

void GameObject::ClearScreen(uint32_t colour)
{
    if (auto* paint = dynamic_cast<GdiPaintModule*>(Module(MODULE_PAINT, "ClearScreen")))
        paint->Clear(colour);
}

void GameObject::RedrawAll()
{
    if (auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "RedrawAll")))
        objects->RedrawAll();
}

// Input.

void GameObject::ListenInput(int code, const EngineEvent& event)
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "ListenInput")))
        input->SubscribeListener(code, event);
}

void GameObject::UnlistenInput(int code)
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "UnlistenInput")))
        input->UnsubscribeListener(code);
}

int GameObject::SetInputListener(int id)
{
    auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "SetInputListener"));
    return input ? input->SetListener(id) : 0;
}

void GameObject::SetModalObject(int id)
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "SetModalObject")))
        input->SetModalObject(id);
}

void GameObject::RefreshMouse()
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "RefreshMouse")))
        input->RefreshHover();
}

int GameObject::SetFocus(int id)
{
    auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "SetFocus"));
    return input ? input->SetFocusObject(id) : 0;
}

InputState* GameObject::GetInputState(InputState* out)
{
    if (!out)
        return out;
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "GetInputState")))
        input->CopyInputState(*out);
    else
        *out = InputState {};
    return out;
}

void GameObject::SetCursor(platform::CursorHandle cursor)
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "SetCursor")))
        input->SetCursor(cursor);
}

void GameObject::SetCursorFromFile(const std::string& path)
{
    // Cursor files of the other desktop's format are not read on this one;
    // nothing in the program uses them.
    LogPrintf("SetCursorFromFile: cursor file \"%s\" not loaded", path.c_str());
}

void GameObject::ShowCursor(int flag)
{
    if (auto* input = dynamic_cast<InputModule*>(Module(MODULE_INPUT, "ShowCursor")))
        input->ShowCursor(flag);
}

// Objects.

EngineObject* GameObject::CreateObject()
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "CreateObject"));
    return objects ? objects->CreateObject(this) : nullptr;
}

SpriteObject* GameObject::CreateSprite(const PictureDesc& desc)
{
    DrawingObjectModule* objects = Drawing("CreateSprite");
    return objects ? objects->CreateSprite(desc, this) : nullptr;
}

CanvasObject* GameObject::CreateCanvas(int width, int height, uint32_t background)
{
    DrawingObjectModule* objects = Drawing("CreateCanvas");
    return objects ? objects->CreateCanvas(width, height, background, this) : nullptr;
}

CanvasObject* GameObject::CreateShadow(EngineObject* object)
{
    PictureRef* picture = object ? object->GetPicture() : nullptr;
    if (!picture)
        return nullptr;
    const int pw = picture->GetWidth();
    const int ph = picture->GetHeight();
    constexpr int dx = 1;
    constexpr int dy = 1;
    constexpr int r = 1;
    const int w = pw + dx + r;
    const int h = ph + dy + r;
    CanvasObject* shadow = CreateCanvas(w, h, kNoColourKey);
    if (!shadow)
        return nullptr;
    shadow->MoveTo(static_cast<int>(object->GetLeft()) + pw / 2 + dx + r,
        static_cast<int>(object->GetTop()) + ph / 2 + dy + r);
    shadow->SetZ(object->GetZ() - 1e-7);
    if (object->IsShown())
        shadow->Show();
    object->AddChild(shadow, LINK_STANDARD);

    // Alpha only: the picture's alpha moved by (1, 1), then blurred. Every
    // pixel of the picture reaches the shadow, its last row and column too.
    std::vector<uint8_t> alpha(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y <= ph; ++y)
        for (int x = 0; x <= pw; ++x)
            if (x - 1 >= 0 && y - 1 >= 0 && x - 1 < pw && y - 1 < ph)
                alpha[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(picture->GetAlpha(x - 1, y - 1));

    // Box blur of radius r through a summed-area table, the window clipped
    // to the image.
    std::vector<uint32_t> sums(static_cast<size_t>(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sums[static_cast<size_t>(y + 1) * (w + 1) + x + 1] = alpha[static_cast<size_t>(y) * w + x]
                + sums[static_cast<size_t>(y) * (w + 1) + x + 1] + sums[static_cast<size_t>(y + 1) * (w + 1) + x]
                - sums[static_cast<size_t>(y) * (w + 1) + x];
    uint8_t* pixels = shadow->GetPixels();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(x - r, 0);
            const int y0 = std::max(y - r, 0);
            const int x1 = std::min(x + r, w - 1) + 1;
            const int y1 = std::min(y + r, h - 1) + 1;
            const uint32_t total = sums[static_cast<size_t>(y1) * (w + 1) + x1]
                - sums[static_cast<size_t>(y0) * (w + 1) + x1] - sums[static_cast<size_t>(y1) * (w + 1) + x0]
                + sums[static_cast<size_t>(y0) * (w + 1) + x0];
            const uint32_t count = static_cast<uint32_t>((x1 - x0) * (y1 - y0));
            uint8_t* p = pixels + (static_cast<size_t>(y) * w + x) * 4;
            p[0] = p[1] = p[2] = 0;
            p[3] = static_cast<uint8_t>(total / count);
        }
    }
    shadow->GetPicture()->MarkChanged();
    shadow->Invalidate();
    return shadow;
}

EngineObject* GameObject::FindObjectByName(const std::string& name)
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "FindObjectByName"));
    return objects ? objects->FindByName(name) : nullptr;
}

EngineObject* GameObject::FindObjectById(int id)
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "FindObjectById"));
    return objects ? objects->FindById(id) : nullptr;
}

void GameObject::RemoveObject(EngineObject* object, int deferred)
{
    if (!object || !Module(MODULE_OBJECT, "RemoveObject"))
        return;
    if (deferred == 0) {
        GetCore()->SendModuleMessage(MODULE_OBJECT, MODMSG_OBJ_REMOVE, static_cast<MessageWord>(object->GetId()), 0);
        return;
    }
    object->Hide();
    object->Invalidate();
    RemoveLater(object, nullptr);
}

// Sounds.

int GameObject::PlaySound(std::string_view name, int loops, const EngineEvent* endEvent)
{
    return CallMusic(GetCore(), "PlaySound", &SoundCalls::playSound, name, loops, endEvent);
}

void GameObject::StopSound(int channel)
{
    CallMusic(GetCore(), "StopSound", &SoundCalls::stop, channel);
}

void GameObject::ResumeSound(int channel, int restart)
{
    CallMusic(GetCore(), "ResumeSound", &SoundCalls::resume, channel, restart);
}

void GameObject::PauseSound(int channel)
{
    CallMusic(GetCore(), "PauseSound", &SoundCalls::pause, channel);
}

void GameObject::UnloadSound(std::string_view name)
{
    CallMusic(GetCore(), "UnloadSound", &SoundCalls::unloadSound, name);
}

void GameObject::StopAllSounds()
{
    CallMusic(GetCore(), "StopAllSounds", &SoundCalls::stopAll);
}

void GameObject::SetMute(int flag)
{
    CallMusic(GetCore(), "SetMute", &SoundCalls::setMute, flag);
}

// Action groups.

ActionGroup* GameObject::BeginActionGroup()
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "BeginActionGroup"));
    ActionGroup* group = objects ? objects->NewActionGroup() : nullptr;
    if (group)
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_BEGIN_GROUP, ToWord(group), 0);
    return group;
}

ActionGroup* GameObject::NextActionGroup()
{
    auto* objects = dynamic_cast<ObjectModule*>(Module(MODULE_OBJECT, "NextActionGroup"));
    ActionGroup* group = objects ? objects->NewActionGroup() : nullptr;
    if (group)
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_NEXT_GROUP, ToWord(group), 0);
    return group;
}

void GameObject::EndActionGroup()
{
    if (Module(MODULE_OBJECT, "EndActionGroup"))
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_END_GROUP, 0, 0);
}

void GameObject::CancelActionGroup(ActionGroup* group)
{
    if (group && Module(MODULE_OBJECT, "CancelActionGroup"))
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_GROUP, static_cast<MessageWord>(group->id), 0);
}

void GameObject::CancelActionsOf(int id)
{
    if (Module(MODULE_OBJECT, "CancelActionsOf"))
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_OBJECT_ACTIONS, static_cast<MessageWord>(id), 0);
}

void GameObject::CancelAction(uint64_t id)
{
    if (Module(MODULE_OBJECT, "CancelAction"))
        GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_CANCEL_ACTION, static_cast<MessageWord>(id & 0xffffffffu), 0);
}

void GameObject::LockCore()
{
    if (GameCore* core = GetCore())
        core->Lock();
}

void GameObject::UnlockCore()
{
    if (GameCore* core = GetCore())
        core->Unlock();
}

} // namespace engine
