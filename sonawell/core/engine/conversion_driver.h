#pragma once

#include "core/engine/user_prompt.h"
#include "core/jobs/job_store.h"
#include "encoder/encoder.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdint>

// Works the job list front to back: starts the current job, keeps its "Status" live, finishes
// it when its run ends and starts the next one. Everything runs on the UI thread.
class ConversionDriver : public QObject {
    Q_OBJECT
public:
    ConversionDriver(sw::enc::Encoder& encoder, JobStore& jobs, UserPrompt& prompt,
                     QObject* parent = nullptr);
    ~ConversionDriver() override;

    int nCurrentJob() const { return nCurrentJob_; }
    bool bConverting() const { return bConverting_; }
    bool isDecoding() const { return decoding_; }
    // A decode runs, a run is being set up, or a stopped run is still ending.
    bool isBusy() const { return decoding_ || settingUp_ > 0 || stopPending_; }
    bool canStart() const { return !bConverting_ && !isBusy() && nCurrentJob_ <= jobs_.count(); }
    QTimer& Timer1() { return timer1_; }
    sw::enc::Encoder& encoder() { return encoder_; }
    JobStore& jobs() { return jobs_; }
    const JobStore& jobs() const { return jobs_; }
    UserPrompt& prompt() { return prompt_; }

    // The Start and Stop commands. Start raises sw::Error when a run can't be set up or
    // started; the job then stays current and nothing runs.
    void Start();
    void Stop();
    // Starts job nIndex (always nCurrentJob); true when an encoding run is under way. Jobs that
    // end without an encoding run (decodes, skipped or failed jobs) are finished here and the
    // queue goes on with the next one.
    bool ConvertFile(int nIndex);
    void SetPercent(const QString& strText);

    // Asks every listener to refresh the commands.
    void UpdateCommandStatus() { Q_EMIT commandStatusChanged(); }

    static void WaveProgress(int32_t n);

Q_SIGNALS:
    void commandStatusChanged();
    void decodeEnded();

public Q_SLOTS:
    void wmaEncoder_OnStateChange(int32_t enumState);

private:
    enum class JobStart { EncodingStarted, Refused, Finished };

    JobStart StartJob(int nIndex);
    bool ConvertToWMAFile(int nIndex);
    void ConvertToWaveFile(int nIndex);
    void ClearSourceCollection();
    void Timer1_Timer();
    void FinishJob(int nIndex);
    void FailJob(int nIndex, const QString& reason);
    void DeleteSourceIfDone(int nIndex);
    void RemoveTempFiles();
    void OnWaveProgress(int32_t n);

    sw::enc::Encoder& encoder_;
    JobStore& jobs_;
    UserPrompt& prompt_;
    QTimer timer1_;
    int nCurrentJob_ = 1;
    bool bConverting_ = false;
    bool decoding_ = false;
    bool haltAfterDecode_ = false;
    bool stopPending_ = false;
    int settingUp_ = 0;
    int64_t nSourceSize_ = 0;
    QStringList tempFiles_;
};
