#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QTimer;

namespace sw::enc {

class Encoder;
enum class RunState;

// The encoder's monitoring page, a view of the encoder's signals: the current (or last) run's
// source, output, profile, elapsed time and progress; below them, the details of the job the
// user selected in the list (the window fills them in). The progress label carries the
// control identifier 506 (property "controlId").
class MonitorPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kProgressLabelId = 506;
    explicit MonitorPage(Encoder& encoder, QWidget* parent = nullptr);

    // The selected job's details, several lines; empty when no job is selected.
    void setSelectedJob(const QString& details);
    QString selectedJob() const;

private:
    void onStateChanged(RunState state);
    void showElapsed();

    Encoder& encoder_;
    QLabel* source_;
    QLabel* output_;
    QLabel* profile_;
    QLabel* elapsed_;
    QLabel* progress_;
    QLabel* selected_;
    QTimer* clock_;
    QElapsedTimer runClock_;
};

}  // namespace sw::enc
