#pragma once
// The frame's replay recorders as the card table view records with them:
// the view decides which notifications belong to a replay and when it is
// saved (TableRecorderCalls); the recorder underneath keeps the image and
// writes the file.

#include "frame/ui/ReplayRecorder.h"
#include "cards/CardTableCalls.h"

#include <memory>
#include <string>

namespace game {

template <class Recorder>
class TableRecorder : public Recorder, public TableRecorderCalls {
public:
    using Recorder::Recorder;

    bool RecordingNow() const override { return this->IsRecording(); }
    void StartReplay() override
    {
        this->BeginRecording();
        this->WriteTableBlock();
    }
    void RecordNotification(uint32_t id, const uint8_t* body, size_t length) override
    {
        this->AppendRecord(static_cast<int32_t>(id), body, length);
    }
    // The view announces a written file itself.
    std::string SaveReplay() override
    {
        const frame::ReplaySaveResult saved = this->Save(true);
        return saved.written ? saved.path : std::string();
    }
};

// The recorder of the mode: a match table's or an ordinary table's.
std::unique_ptr<engine::EngineObject> MakeTableRecorder(CGameFrameApp& app, bool matchMode);

} // namespace game
