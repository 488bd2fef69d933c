#include "frame/ui/ReplayPanel.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ProgressBar.h"
#include "engine/core/EngineFiles.h"
#include "engine/core/FormatElapsed.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/ui/FramePopupMenu.h"
#include "platform/Clock.h"
#include "platform/DirectoryList.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <utility>

namespace frame {

namespace {

using engine::EngineEvent;
using engine::ImageButton;
using engine::PictureDesc;

constexpr uint32_t kKey = 0xff00ff;
constexpr double kPartAbove = 0.01;
constexpr double kTipAbove = 0.1;
constexpr int kButtonInset = 30;
constexpr int kButtonGap = 15;
constexpr int kBarGap = 10;
constexpr uint32_t kTimeColour = 0xffffff;
constexpr int kTimeFontSize = 10;
constexpr int kTimeGap = 2;
constexpr int kTipFontSize = 12;
constexpr int kTipHeight = 18;
constexpr int kTipGap = 2;
// The theme's paper, ink and dark gold (0x00BBGGRR).
constexpr uint32_t kTipPaper = 0xdaeef6;
constexpr uint32_t kTipInk = 0x10243a;
constexpr uint32_t kTipBorder = 0x24749c;
constexpr const char* kFontFace = "宋体";
constexpr int kMenuFontSize = 12;
constexpr int kMenuItemHeight = 22;
constexpr int kMenuTextOffset = 8;
constexpr int kMenuMinWidth = 140;
constexpr int kMenuMaxWidth = 400;
constexpr uint32_t kMenuHover = 0x9ad8f0; // light gold
constexpr uint32_t kMenuGreyInk = 0x707070;

} // namespace

ReplayPanel::ReplayPanel(CGameFrameApp& app, ReplayVariant variant)
    : m_app(app)
    , m_file(variant)
{
}

ReplayPanel::~ReplayPanel()
{
    CancelTimer();
}

// ---- Building ----------------------------------------------------------------

int ReplayPanel::OnCreate()
{
    PictureDesc board;
    LookupPicture(&board, kReplayBoardPicture, 0);
    m_board = CreateCanvas(std::max(board.width, 1), std::max(board.height, 1), kKey);
    if (!m_board)
        return 0;
    Bind(m_board, engine::LINK_STANDARD);
    SetDraggable(true);
    AddFlags(engine::ObjectFlags::kPixelHitTest);

    // Left to right, each after the one before it.
    if (!(m_play = MakeButton(kReplayPlayPicture, EVT_REPLAY_PLAY, m_board->GetLeft() + kButtonInset))
        || !(m_stop = MakeButton(kReplayStopPicture, EVT_REPLAY_STOP, m_play->GetRight() + kButtonGap))
        || !(m_previous = MakeButton(kReplayPreviousPicture, EVT_REPLAY_PREVIOUS, m_stop->GetRight() + kButtonGap))
        || !(m_next = MakeButton(kReplayNextPicture, EVT_REPLAY_NEXT, m_previous->GetRight() + kButtonGap)))
        return 0;

    m_progress = static_cast<engine::ProgressBar*>(RegisterObject(std::make_unique<engine::ProgressBar>()));
    if (m_progress) {
        PictureDesc track;
        PictureDesc fill;
        LookupPicture(&track, kReplayProgressPicture, 0);
        LookupPicture(&fill, kReplayProgressPicture, 1);
        m_progress->Create(track, fill, 0.0);
        m_progress->MoveTo(m_next->GetRight() + kBarGap + m_progress->GetWidth() / 2, m_board->GetY());
        m_progress->SetZ(m_board->GetZ() + kPartAbove);
        m_progress->Show();
        m_board->AddChild(m_progress, engine::LINK_STANDARD);
    }

    m_open = MakeButton(kReplayOpenPicture, EVT_REPLAY_OPEN, m_board->GetRight() - kButtonInset);
    UpdateButtons();
    UpdateTimeText();
    return 0;
}

ImageButton* ReplayPanel::MakeButton(const char* picture, int code, double x)
{
    ImageButton* button = engine::MakeImageButton(*this, picture, code, engine::ObjectFlags::kPixelHitTest);
    if (!button)
        return nullptr;
    button->SetZ(m_board->GetZ() + kPartAbove);
    button->Subscribe(engine::EVT_HOVER, EngineEvent(GetId(), EVT_REPLAY_TIP, button->GetId()));
    button->Subscribe(engine::EVT_HOVER_END, EngineEvent(GetId(), EVT_REPLAY_TIP_END, button->GetId()));
    button->MoveTo(x, m_board->GetY());
    button->Show();
    m_board->AddChild(button, engine::LINK_STANDARD);
    return button;
}

// ---- Events ------------------------------------------------------------------------

int ReplayPanel::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_REPLAY_PLAY:
        PlayPause();
        break;
    case EVT_REPLAY_TICK:
        m_timer = 0; // the action that sent it has ended
        PlayTick();
        break;
    case EVT_REPLAY_STOP:
        Stop();
        break;
    case EVT_REPLAY_PREVIOUS:
        OnPrevious();
        break;
    case EVT_REPLAY_NEXT:
        OnNext();
        break;
    case EVT_REPLAY_OPEN:
        ChooseFile();
        break;
    case EVT_REPLAY_CHOSEN:
        if (m_menu)
            m_menu->Hide();
        if (static_cast<size_t>(event.param) < m_listed.size())
            OpenFile(std::string(m_listed[static_cast<size_t>(event.param)]));
        break;
    case EVT_REPLAY_TIP:
        ShowButtonTip(event.ParamInt());
        return 1;
    case EVT_REPLAY_TIP_END:
        if (m_tip) {
            m_tip->Hide();
            m_tip->Invalidate();
        }
        return 1;
    case engine::EVT_PROGRESS_CHANGED:
        // A press or the end of a drag on the bar: seek there, paused like a
        // step.
        if (!m_file.Empty() && event.param) {
            const double fraction = std::clamp(*event.ParamAs<const double>(), 0.0, 1.0);
            if (m_playing)
                PlayPause();
            SeekToTime(static_cast<uint32_t>(fraction * m_file.LastRecordTime()));
        }
        break;
    case engine::EVT_SCROLL:
        break; // the thumb moves: the time text follows it
    default:
        EngineObject::OnEvent(event);
        return 1;
    }
    UpdateButtons();
    UpdateTimeText();
    return 1;
}

// ---- The player's controls ------------------------------------------------------------

void ReplayPanel::CancelTimer()
{
    if (m_timer)
        CancelAction(m_timer);
    m_timer = 0;
}

void ReplayPanel::PlayTick()
{
    // A loop, not a call of itself: a run of records with one stamp plays
    // here however long it is.
    while (m_playing) {
        const int64_t next = Step();
        if (next < 0)
            return; // the game is over; the play button stays as it is
        if (!m_playing)
            return; // the record paused playback (the deal was shown)
        if (next <= m_nextTime) {
            m_nextTime = next;
            continue;
        }
        CancelTimer();
        const uint32_t wait = static_cast<uint32_t>(std::min<int64_t>(next - m_nextTime, m_maxGap));
        const EngineEvent tick(GetId(), EVT_REPLAY_TICK);
        m_timer = Delay(wait, &tick);
        m_nextTime = next;
        return;
    }
}

void ReplayPanel::PlayPause()
{
    m_playing = !m_playing;
    PictureDesc look;
    if (!m_playing) {
        CancelTimer();
        LookupPicture(&look, kReplayPlayPicture, 0);
        if (m_play)
            m_play->SetPicture(look, false);
        return;
    }
    // The next record plays at once; the one after it keeps its spacing
    // from this one.
    const std::optional<ReplayRecord> next = NextRecord();
    m_nextTime = next ? next->elapsed : GetCurrentTime();
    LookupPicture(&look, kReplayPausePicture, 0);
    if (m_play)
        m_play->SetPicture(look, false);
    PlayTick();
}

void ReplayPanel::Stop()
{
    CancelTimer();
    m_playing = false;
    PictureDesc look;
    LookupPicture(&look, kReplayPlayPicture, 0);
    if (m_play)
        m_play->SetPicture(look, false);
    BeginPlayback();
    m_nextTime = Step();
    UpdateButtons();
}

void ReplayPanel::OnPrevious()
{
    if (m_playing)
        PlayPause();
    StepBack();
    UpdateButtons();
}

void ReplayPanel::OnNext()
{
    if (m_playing)
        PlayPause();
    Step();
    UpdateButtons();
}

void ReplayPanel::OnDealShown()
{
    SetPreviousEnabled(false);
    if (m_playing)
        PlayPause();
}

bool ReplayPanel::OpenFile(std::string_view path)
{
    size_t length = 0;
    const std::unique_ptr<char[]> bytes = engine::ReadWholeFile(path, &length);
    if (!bytes)
        return false;
    if (!Load({ reinterpret_cast<const uint8_t*>(bytes.get()), length }))
        return false;
    m_app.SetReplayMode(1);
    const size_t slash = path.find_last_of("\\/");
    m_openedDir = slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
    Stop();
    if (m_progress) {
        // With a thumb the bar seeks (dragged or pressed); it gets one once
        // there is something to seek in.
        PictureDesc thumb;
        LookupPicture(&thumb, kReplayThumbPicture, 0);
        if (!m_progress->GetThumb() && thumb.record)
            m_progress->SetThumb(thumb, GetId());
        m_progress->SetDraggable(true);
    }
    UpdateTimeText();
    return true;
}

void ReplayPanel::ChooseFile()
{
    m_listed.clear();
    std::vector<std::string> dirs;
    for (std::string dir : { m_openedDir, ReplayDirectory(HallDirectory(), m_app.GetUserId(), m_app.GetTitleText()),
             engine::AppPath("replays\\") }) {
        if (!dir.empty() && std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(std::move(dir));
    }
    for (const std::string& dir : dirs) {
        std::vector<std::string> names;
        if (!platform::ListDirectoryFiles(dir, names))
            continue;
        for (const std::string& name : names) {
            if (engine::GetFileExtLower(name) == ReplayFile::kExtension)
                m_listed.push_back(dir + name);
        }
    }
    // Newest first; a long list keeps the newest.
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> dated;
    for (std::string& path : m_listed) {
        std::error_code error;
        const auto time = std::filesystem::last_write_time(engine::ToHostPath(path), error);
        dated.emplace_back(error ? std::filesystem::file_time_type::min() : time, std::move(path));
    }
    std::stable_sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (dated.size() > kMaxListedFiles)
        dated.resize(kMaxListedFiles);
    m_listed.clear();
    for (auto& entry : dated)
        m_listed.push_back(std::move(entry.second));
    ShowFileMenu();
}

void ReplayPanel::ShowFileMenu()
{
    if (m_menu)
        RemoveObject(m_menu, 0);
    m_menu = static_cast<FramePopupMenu*>(RegisterObject(std::make_unique<FramePopupMenu>()));
    if (!m_menu)
        return;
    // Wide enough for the longest name (half the font size a byte), within
    // reason; the names begin near the left edge (the menu has no icons).
    size_t longest = 0;
    for (const std::string& path : m_listed)
        longest = std::max(longest, engine::GetFileBaseName(path).size());
    const int width
        = std::clamp(static_cast<int>(longest) * kMenuFontSize / 2 + 2 * kMenuTextOffset, kMenuMinWidth, kMenuMaxWidth);
    m_menu->Create(width, kMenuItemHeight, kMenuFontSize, kTipPaper);
    m_menu->SetZ(GetZ() + kTipAbove);
    for (size_t i = 0; i < m_listed.size(); ++i) {
        const EngineEvent chosen(GetId(), EVT_REPLAY_CHOSEN, static_cast<engine::MessageWord>(i));
        if (FrameMenuItem* item = m_menu->AddItem(engine::GetFileBaseName(m_listed[i]), &chosen, kTipInk, 0, false))
            item->SetTextOffset(kMenuTextOffset);
    }
    if (m_listed.empty()) {
        if (FrameMenuItem* item = m_menu->AddItem("没有录像文件", nullptr, kMenuGreyInk, 0, false))
            item->SetTextOffset(kMenuTextOffset);
    }
    m_menu->SetItemColours(kTipPaper, kMenuHover, 0);
    m_menu->SetBorderColour(kTipBorder);
    m_menu->Layout();
    // Above the open button, its right edge at the board's.
    const double x = GetRight() - m_menu->GetWidth() / 2;
    const double y = std::max(GetTop() - m_menu->GetHeight() / 2 - 2, m_menu->GetHeight() / 2);
    m_menu->MoveTo(x, y);
    m_menu->Show();
    m_menu->Invalidate();
    SetFocus(m_menu->GetId());
}

// ---- Recording -----------------------------------------------------------------------

void ReplayPanel::BeginRecording()
{
    m_recording = true;
    m_timeZero = platform::TickMs();
    ReplayIdentity identity;
    identity.gameName = m_app.GetGameName();
    identity.gameId = m_app.GetGameId();
    identity.versionMajor = m_app.GetVersionMajor();
    identity.versionMinor = m_app.GetVersionMinor();
    identity.userId = m_app.GetUserId();
    identity.chair = m_app.GetChair();
    identity.matchName = m_app.GetMatchName();
    identity.matchId = m_app.GetMatchId();
    identity.begun = platform::LocalNow();
    m_file.Begin(identity);
}

void ReplayPanel::WriteBlocks(std::span<const uint8_t> table, int seats)
{
    if (!m_file.AppendTableBlock(table))
        return;
    for (int chair = 0; chair < std::clamp(seats, 0, ReplayFile::kMaxSeats); ++chair)
        WriteSeatBlock(chair);
}

int ReplayPanel::PlayedSeats() const
{
    return std::clamp(m_file.SeatCount(), 0, ReplayFile::kMaxSeats);
}

bool ReplayPanel::AppendRecord(int32_t id, const uint8_t* data, size_t length)
{
    // The snapshot ends the records (a reader stops at it), so nothing is
    // recorded after it.
    if (!m_recording || m_file.SnapshotOffset() != -1)
        return false;
    return m_file.AppendRecord(platform::TickMs() - m_timeZero, id, { data, length });
}

bool ReplayPanel::AppendSnapshot(const uint8_t* data, size_t length)
{
    if (!m_recording)
        return false;
    return m_file.AppendSnapshot({ data, length });
}

ReplaySaveResult ReplayPanel::Save(bool write)
{
    m_recording = false;
    ReplaySaveResult result;
    result.path = MakeReplayFileName();
    if (write && !m_file.Empty())
        result.written = m_file.Save(result.path, platform::LocalNow());
    m_file.Clear();
    if (result.written)
        AfterWrite(result.path);
    return result;
}

std::string ReplayPanel::ReplayName() const
{
    return m_app.GetTitleText();
}

std::string ReplayPanel::HallDirectory() const
{
    return m_app.Paths().GetHallDir();
}

std::string ReplayPanel::MakeReplayFileName()
{
    const std::string hall = HallDirectory();
    const int32_t userId = m_app.GetUserId();
    const std::string dir = ReplayDirectory(hall, userId, m_app.GetTitleText());
    const std::string path = ReplayFilePath(dir, ReplayFileStem(ReplayName(), platform::LocalNow()));
    if (engine::MakeDirectoryChain(dir, true))
        SaveUserFiles(userId);
    return path;
}

void ReplayPanel::SaveUserFiles(int32_t userId)
{
    const std::string hall = HallDirectory();
    const std::string name = m_app.GetUserName(userId);
    engine::WriteWholeFile(ReplayUserNameFile(hall, userId), name.data(), name.size());
    const std::string icon = ReplayGameIconPath(hall, m_app.GetTitleText());
    if (!engine::FileExists(icon) && engine::MakeDirectoryChain(ReplayIconDirectory(hall), true))
        SavePicture("GameIcon", icon); // a missing icon is no reason to lose the replay
}

// ---- Playback --------------------------------------------------------------------

void ReplayPanel::ShowLoadRefusal(const ReplayLoadResult& result) const
{
    if (result.error == ReplayError::WrongGame)
        m_app.ShowMessageBox(ReplayWrongGameText(), nullptr, nullptr, 10, 0, "");
    else if (result.error != ReplayError::None && result.error != ReplayError::Unreadable)
        m_app.ShowMessageBox("录像文件已损坏，无法播放。", nullptr, nullptr, 10, 0, "");
}

bool ReplayPanel::Load(std::span<const uint8_t> file)
{
    ReplayProgram program;
    program.gameName = m_app.GetGameName();
    program.versionMajor = m_app.GetVersionMajor();
    program.versionMinor = m_app.GetVersionMinor();
    program.maxSeats = std::clamp(m_app.GetChairCount(), 1, ReplayFile::kMaxSeats);
    const ReplayLoadResult result = m_file.Load(file, program);
    if (!result.Loaded()) {
        ShowLoadRefusal(result);
        return false;
    }
    if (result.versionDiffers)
        m_app.ShowMessageBox(ReplayVersionWarningText(program.versionMajor, program.versionMinor,
                                 result.fileVersionMajor, result.fileVersionMinor),
            nullptr, nullptr, 10, 0, "");
    // A loaded replay is no recording to add to.
    m_recording = false;
    // The game is seen from the recording player's seat.
    m_app.GetHallArgs().userId = m_file.UserId();
    m_app.SetOwnChair(m_file.Chair());
    BeginPlayback();
    return true;
}

void ReplayPanel::BeginPlayback()
{
    if (!m_file.Empty())
        RestoreTable();
    Rewind();
}

void ReplayPanel::Rewind()
{
    m_cursor = m_file.FirstRecordOffset();
    m_played = 0;
    m_currentTime = 0;
}

std::optional<ReplayRecord> ReplayPanel::NextRecord() const
{
    if (m_file.Empty() || m_played < 0 || static_cast<uint32_t>(m_played) >= m_file.RecordCount())
        return std::nullopt;
    return m_file.RecordAt(m_cursor);
}

int64_t ReplayPanel::Step()
{
    const std::optional<ReplayRecord> record = NextRecord();
    if (!record)
        return -1;
    m_currentTime = record->elapsed;
    m_cursor = record->next;
    ++m_played;
    DispatchRecord(record->id, record->data.data(), record->data.size());
    const uint32_t total = m_file.LastRecordTime();
    if (total != 0 && m_progress)
        m_progress->SetProgress(std::min(1.0, static_cast<double>(m_currentTime) / total));
    const std::optional<ReplayRecord> following = NextRecord();
    return following ? static_cast<int64_t>(following->elapsed) : -1;
}

void ReplayPanel::SeekToRecord(int n)
{
    if (n < m_played)
        Rewind();
    while (m_played < n) {
        if (Step() < 0)
            break;
    }
}

void ReplayPanel::SeekToTime(uint32_t ms)
{
    const std::optional<ReplayRecord> next = NextRecord();
    if (m_played > 0 && (!next || ms <= next->elapsed))
        Rewind();
    SetMute(1);
    for (std::optional<ReplayRecord> r = NextRecord(); r && r->elapsed < ms; r = NextRecord()) {
        if (Step() < 0)
            break;
    }
    SetMute(0);
}

void ReplayPanel::StepBack()
{
    if (m_played <= 0)
        return;
    SetMute(1);
    SeekToRecord(m_played - 1);
    SetMute(0);
}

std::span<const uint8_t> ReplayPanel::GetSnapshot() const
{
    return m_file.Snapshot(ReplayProgram {}.snapshotSize);
}

void ReplayPanel::DispatchRecord(int32_t id, const uint8_t* data, size_t length)
{
    if (GameNotifyHandler* handler = m_app.GetNotifyHandler())
        handler->Dispatch(static_cast<uint32_t>(id), data, length);
}

// ---- Look ------------------------------------------------------------------------

void ReplayPanel::UpdateButtonsFrom(bool lockPrevious)
{
    if (!m_play || !m_stop || !m_previous || !m_next)
        return;
    if (m_file.Empty()) {
        for (ImageButton* b : { m_play, m_stop, m_previous, m_next })
            b->SetEnabled(false);
        return;
    }
    m_play->SetEnabled(true);
    m_stop->SetEnabled(true);
    m_previous->SetEnabled(m_played != 0 && !(lockPrevious && m_previousLocked));
    m_next->SetEnabled(m_played >= 0 && static_cast<uint32_t>(m_played) < m_file.RecordCount());
}

void ReplayPanel::UpdateButtons() { }

void ReplayPanel::SetPreviousEnabled(bool enabled)
{
    m_previousLocked = !enabled;
    if (m_previous) {
        m_previous->SetEnabled(enabled);
        m_previous->Invalidate();
    }
}

void ReplayPanel::UpdateTimeText()
{
    if (!m_board)
        return;
    m_board->Clear();
    PictureDesc board;
    LookupPicture(&board, kReplayBoardPicture, 0);
    if (board.record)
        m_board->BlitPicture(board, 0, 0, board.width, board.height, 0, 1.0);
    m_timeText.clear();
    if (!m_file.Empty() && m_progress) {
        const uint32_t total = m_file.LastRecordTime();
        const auto shown = static_cast<uint32_t>(total * m_progress->GetProgress());
        m_timeText = engine::FormatElapsed(shown) + "/" + engine::FormatElapsed(total);
        m_board->SetFont(kTimeFontSize, 400, kFontFace);
        m_board->SetPen(kTimeColour, 1.0);
        // Under the bar, ending where the bar ends (half the font size a
        // byte is the width of these digits): hung further right it would
        // run into the open button.
        const int width = kTimeFontSize * static_cast<int>(m_timeText.size()) / 2;
        const int x = static_cast<int>(m_progress->GetRight() - m_board->GetLeft()) - width;
        const int y = static_cast<int>(m_progress->GetBottom() - m_board->GetTop()) + kTimeGap;
        m_board->DrawText(x, y, m_timeText);
    }
    m_board->Invalidate();
}

void ReplayPanel::ShowButtonTip(int id)
{
    std::string text;
    if (m_play && id == m_play->GetId())
        text = "播放";
    else if (m_stop && id == m_stop->GetId())
        text = "停止";
    else if (m_previous && id == m_previous->GetId())
        text = "上一步";
    else if (m_next && id == m_next->GetId())
        text = "下一步";
    else if (m_open && id == m_open->GetId())
        text = "选择录像";
    if (text.empty())
        return;
    EngineObject* hovered = FindObjectById(id);
    if (!hovered)
        return;
    if (!m_tip) {
        m_tip = CreateCanvas(10, 10, kTipPaper);
        if (!m_tip)
            return;
        m_tip->SetZ(GetZ() + kTipAbove);
        m_tip->SetFont(kTipFontSize, 400, kFontFace);
        m_tip->SetPen(kTipInk, 1.0);
    }
    m_tip->Clear();
    const int width = static_cast<int>(text.size()) * kTipFontSize / 2 + 6;
    m_tip->ResizeBuffer(width, kTipHeight);
    m_tip->ScaleTo(width, kTipHeight);
    m_tip->DrawText(3, 3, text);
    m_tip->Show();
    // Centred over the button just above the board (below it when the board
    // is at the top of the screen), kept on the screen: laid over the board's
    // edge it would hide the rim and the neighbouring button.
    const double half = width / 2.0;
    const double x = std::clamp(hovered->GetX(), half, std::max(half, GetScreenWidth() - half));
    double y = GetTop() - kTipHeight / 2.0 - kTipGap;
    if (y - kTipHeight / 2.0 < 0)
        y = GetBottom() + kTipHeight / 2.0 + kTipGap;
    m_tip->MoveTo(x, y);
    m_tip->DrawBorder(kTipBorder, 1);
    m_tip->Invalidate();
}

} // namespace frame
