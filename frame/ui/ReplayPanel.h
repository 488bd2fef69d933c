#pragma once
// The replay panel: a small draggable board with five picture buttons
// (play/pause, stop, previous, next, open), a progress bar and the time
// text, with which the player watches a recorded game. It holds the replay
// image (ReplayFile) and plays its records at the pace they were recorded,
// handing each to the application's notification handler exactly as the
// live server notification was handed, so the table shows the game.
//
// It is also the recording side: while a table records, the table view
// begins a recording, writes the table and seat blocks, appends the
// notifications and the snapshot and saves the file. The two recorders
// (ReplayRecorder.h) derive from it and supply what differs between an
// ordinary table and a match table.
//
// Playback pacing: the play timer is one engine delay action at a time.
// Records that share a stamp play in the same tick, one after another in a
// loop (a file of thousands of them never deepens the stack); the wait
// before a later record is its distance from the last one played, but never
// longer than the max gap. Stepping back and seeking replay the records from
// the first one with the sound off. Once a file is open the progress bar has
// a thumb: dropping it or pressing the bar seeks there.
//
// User-interface thread only; the FTP upload of a saved match replay runs on
// a short thread of its own (ReplayRecorder.h).

#include "engine/objects/BoundObject.h"
#include "frame/ui/ReplayFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CGameFrameApp;

namespace engine {
class CanvasObject;
class ImageButton;
class ProgressBar;
} // namespace engine

namespace frame {

class FramePopupMenu;

// Private events of the panel (its buttons and its timer send them to it).
inline constexpr int EVT_REPLAY_PLAY = 80000001;
inline constexpr int EVT_REPLAY_TICK = 80000002;
inline constexpr int EVT_REPLAY_STOP = 80000003;
inline constexpr int EVT_REPLAY_PREVIOUS = 80000004;
inline constexpr int EVT_REPLAY_NEXT = 80000005;
inline constexpr int EVT_REPLAY_OPEN = 80000006;
inline constexpr int EVT_REPLAY_TIP = 80000007;     // param: the hovered button's id
inline constexpr int EVT_REPLAY_TIP_END = 80000008;
inline constexpr int EVT_REPLAY_CHOSEN = 80000009;  // param: the index of a file of the open list

// The pack the panel's pictures come from (loaded by the main view in
// replay mode), under the program directory.
inline constexpr const char* kReplayPack = "skins\\replay.vkr";

inline constexpr const char* kReplayBoardPicture = "Rep_bitBoard";
inline constexpr const char* kReplayPlayPicture = "Rep_btnPlay";
inline constexpr const char* kReplayPausePicture = "Rep_btnStop"; // the play button while playing
inline constexpr const char* kReplayStopPicture = "Rep_btnReset";
inline constexpr const char* kReplayPreviousPicture = "Rep_btnPreStep";
inline constexpr const char* kReplayNextPicture = "Rep_btnNextStep";
inline constexpr const char* kReplayOpenPicture = "Rep_btnOpenFile";
// Frame 0 the track, frame 1 the fill.
inline constexpr const char* kReplayProgressPicture = "Rep_Rrogressbar";
// The progress bar's thumb; without it the bar only shows the progress.
inline constexpr const char* kReplayThumbPicture = "Rep_Thumb";

// What Save did: the path it made, and whether the file was written whole.
struct ReplaySaveResult {
    std::string path;
    bool written = false;
};

class ReplayPanel : public engine::BoundObject {
public:
    static constexpr uint32_t kDefaultMaxGap = 10000;
    // The open list shows at most this many files, the newest.
    static constexpr size_t kMaxListedFiles = 30;

    ReplayPanel(CGameFrameApp& app, ReplayVariant variant);
    ~ReplayPanel() override;

    // Builds the board, the buttons and the bar from the replay pictures.
    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // ---- The player's controls ----------------------------------------
    // Pauses, or plays on: the next record at once, the later ones at their
    // recorded spacing.
    virtual void PlayPause();
    // Pause, then one record back or forward.
    virtual void OnPrevious();
    virtual void OnNext();
    // Reads and loads the file; on success replay mode, Stop (the first
    // record plays) and a draggable bar. False when it cannot be read or
    // is refused (the panel then keeps what it had).
    virtual bool OpenFile(std::string_view path);
    // Lists the replay files of the directory of the file opened last, of
    // the user's replay directory and of "replays\" under the program
    // directory in a menu over the panel, newest first; picking one opens
    // it.
    virtual void ChooseFile();
    // Paused at the start: the table restored and the first record played.
    virtual void Stop();
    // The timer's turn: the record due, and the ones stamped like it, then
    // the wait for the next one.
    virtual void PlayTick();
    virtual void SetMaxGap(uint32_t ms) { m_maxGap = ms; }
    // The table view has shown the dealt hands: previous stays disabled and
    // playback pauses (a panel the player paused already stays paused).
    virtual void OnDealShown();

    // ---- Recording -----------------------------------------------------
    // Recording on, time zero now, a new header in a cleared image.
    virtual void BeginRecording();
    // The table block, then one seat block per seat.
    virtual void WriteTableBlock() = 0;
    virtual void WriteSeatBlock(int chair) = 0;
    // Ignored (false) unless recording, and after the snapshot (which ends
    // the records).
    virtual bool AppendRecord(int32_t id, const uint8_t* data, size_t length);
    // The table view's state for playback, appended last (just before Save).
    virtual bool AppendSnapshot(const uint8_t* data, size_t length);
    // Recording off; the file name is made (directories, user.text and the
    // icon with it); with write set the file is written. The image is
    // cleared either way. `written` tells whether a whole file is on disk.
    virtual ReplaySaveResult Save(bool write);
    bool IsRecording() const { return m_recording; }

    // ---- Playback --------------------------------------------------------
    // Checks the file (a refusal is shown and changes nothing), makes the
    // header's recording user and chair the own ones, then BeginPlayback.
    virtual bool Load(std::span<const uint8_t> file);
    // Room and seats restored from the blocks, the table reset, the cursor
    // at the first record.
    virtual void BeginPlayback();
    // Plays the record at the cursor; the next record's elapsed time, or
    // -1 when none is left (and nothing is played once all were).
    virtual int64_t Step();
    // Replays from the first record (without resetting the table) when n
    // is behind, then steps until n records have been played.
    virtual void SeekToRecord(int n);
    // Every record before ms played, silently.
    virtual void SeekToTime(uint32_t ms);
    // The last played record undone by replaying the ones before it, silently.
    virtual void StepBack();
    uint32_t GetCurrentTime() const { return m_currentTime; }

    std::span<const uint8_t> GetHeader() const { return m_file.Header(); }
    std::span<const uint8_t> GetTableBlock() const { return m_file.TableBlock(); }
    // Empty for a chair that is not below the seat count.
    std::span<const uint8_t> GetSeatBlock(int chair) const { return m_file.SeatBlock(chair); }
    // Empty without a snapshot.
    std::span<const uint8_t> GetSnapshot() const;
    size_t GetFirstRecordOffset() const { return m_file.FirstRecordOffset(); }
    // "<hall>replays\<user>\<title>\<name>_<date and time>.qhrep", with the
    // directories made, user.text rewritten and the game icon saved when
    // missing.
    virtual std::string MakeReplayFileName();

    virtual void UpdateButtons();
    virtual void UpdateTimeText();
    virtual void ShowButtonTip(int id);
    virtual void DispatchRecord(int32_t id, const uint8_t* data, size_t length);
    virtual void SetPreviousEnabled(bool enabled);

    // ---- State ----------------------------------------------------------
    const ReplayFile& File() const { return m_file; }
    bool IsPlaying() const { return m_playing; }
    int GetPlayedCount() const { return m_played; }
    uint32_t GetMaxGap() const { return m_maxGap; }
    engine::CanvasObject* GetBoard() const { return m_board; }
    engine::ImageButton* GetPlayButton() const { return m_play; }
    engine::ImageButton* GetStopButton() const { return m_stop; }
    engine::ImageButton* GetPreviousButton() const { return m_previous; }
    engine::ImageButton* GetNextButton() const { return m_next; }
    engine::ImageButton* GetOpenButton() const { return m_open; }
    engine::ProgressBar* GetProgressBar() const { return m_progress; }
    engine::CanvasObject* GetTipCanvas() const { return m_tip; }
    FramePopupMenu* GetFileMenu() const { return m_menu; }
    const std::vector<std::string>& GetListedFiles() const { return m_listed; }
    // The time text as last drawn (empty while there is no replay).
    const std::string& GetTimeText() const { return m_timeText; }

protected:
    CGameFrameApp& App() const { return m_app; }
    ReplayFile& Image() { return m_file; }
    bool IsPreviousLocked() const { return m_previousLocked; }
    // The table block, then WriteSeatBlock for each of its seats (at most
    // the seats the application keeps).
    void WriteBlocks(std::span<const uint8_t> table, int seats);
    // The seat blocks of the loaded replay, within the seats the
    // application keeps.
    int PlayedSeats() const;
    // The buttons' state from the image and the played count; previous
    // also honours the lock when lockPrevious is set.
    void UpdateButtonsFrom(bool lockPrevious);

    // The room and seats from the blocks, then the table reset for a new
    // game: what differs between the variants.
    virtual void RestoreTable() = 0;
    // The name the file stem begins with.
    virtual std::string ReplayName() const;
    // What Save does once the file was written.
    virtual void AfterWrite(const std::string& /*path*/) { }
    // The lobby's directory, under which replays are kept.
    virtual std::string HallDirectory() const;

private:
    engine::ImageButton* MakeButton(const char* picture, int code, double x);
    void CancelTimer();
    void Rewind();
    // The record at the cursor, if one is left to play.
    std::optional<ReplayRecord> NextRecord() const;
    void ShowLoadRefusal(const ReplayLoadResult& result) const;
    void ShowFileMenu();
    void SaveUserFiles(int32_t userId);

    CGameFrameApp& m_app;
    ReplayFile m_file;
    uint32_t m_maxGap = kDefaultMaxGap;
    engine::CanvasObject* m_board = nullptr; // not owned: the object module owns the parts
    engine::ImageButton* m_play = nullptr;
    engine::ImageButton* m_previous = nullptr;
    engine::ImageButton* m_next = nullptr;
    engine::ImageButton* m_stop = nullptr;
    engine::ImageButton* m_open = nullptr;
    engine::ProgressBar* m_progress = nullptr;
    engine::CanvasObject* m_tip = nullptr;
    FramePopupMenu* m_menu = nullptr;
    std::vector<std::string> m_listed; // paths of the open list's entries
    std::string m_openedDir;           // where the file opened last lies
    uint64_t m_timer = 0;
    int64_t m_nextTime = 0;
    size_t m_cursor = 0;
    int m_played = 0;
    uint32_t m_timeZero = 0;
    uint32_t m_currentTime = 0;
    std::string m_timeText;
    bool m_playing = false;
    bool m_recording = false;
    bool m_previousLocked = false;
};

} // namespace frame
