#pragma once
// The chat box: the part of the side pane between the user list and the
// input bar. It shows every chat line, system notice and downloaded notice
// in its chat view over the "SystemChatBox1" / "SystemChatBox2" frame, and
// opens the emoticon picker under the emoticon button.
//
// The box makes the picker through CreateFacePicker and fills it through
// FacePickerCalls from the skin's emoticon index.

#include "engine/objects/BoundObject.h"
#include "frame/ui/FacePickerCalls.h"
#include "frame/ui/PaneBarCalls.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace frame {

class ChatView;

// The picker lost the focus (its blur, delivered to the box).
inline constexpr int EVT_CHAT_PICKER_BLUR = 80001000;

// The object name of the operate row's emoticon button.
// The skin resource listing the emoticons: "name=number|name=number|...".
inline constexpr const char* kFaceIndexResource = "表情索引.text";

struct FaceIndexEntry {
    std::string name;
    int number = 0;
    friend bool operator==(const FaceIndexEntry&, const FaceIndexEntry&) = default;
};

// The entries of an emoticon index in their order: pieces between '|',
// each "name=number"; a piece without '=' (an empty one among them) is
// skipped, and the number is read as atoi reads it.
std::vector<FaceIndexEntry> ParseFaceIndex(std::string_view text);

class ChatBox : public engine::BoundObject {
public:
    static constexpr const char* kTopPicture = "SystemChatBox1";
    static constexpr const char* kRepeatPicture = "SystemChatBox2";
    // Notices from the server may be written large; chat lines may not.
    static constexpr int kNoticeMaxFontSize = 3000;
    static constexpr double kPickerDepth = 10000.0;
    static constexpr int kPickerRightInset = 50;

    ChatBox() = default;
    ~ChatBox() override = default;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // The view over the whole box with the frame drawn behind it.
    virtual void Layout();
    virtual void ToggleFacePicker();
    virtual void LoadFaceIndex();
    // The picker's right edge 50 pixels inside the pane's, its bottom on
    // the input bar.
    virtual void PlaceFacePicker();
    virtual void Clear();
    // A marked-up line in the plain style, scrolled into view.
    virtual void AddLine(std::string_view text);
    // A downloaded notice: links on and large sizes allowed while it is
    // read, the chat's limits back afterwards.
    virtual void AddNotice(std::string_view text);
    // A line of the client's own whose link opens a local folder (the
    // screenshot notice): only such folders open from the chat.
    virtual void AddFolderLine(std::string_view text, std::string_view folder);

    ChatView* GetView() const { return m_view; }
    engine::EngineObject* GetPicker() const { return m_picker; }

protected:
    // The emoticon picker (an engine object that answers to
    // FacePickerCalls), made on first use.
    virtual std::unique_ptr<engine::EngineObject> CreateFacePicker();

private:
    void DrawFrame(int width, int height);
    void SelectFaceButton(bool selected);
    bool IsFaceButtonSelected();
    void FocusPicker();

    ChatView* m_view = nullptr;             // not owned: registered under the box
    engine::EngineObject* m_picker = nullptr; // not owned: registered on first use
};

} // namespace frame
