#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace sw::enc {

class Encoder;

// The encoder's monitoring page: the current run's source, output, profile, elapsed time and
// progress; below them, the details of the job the user selected in the list (the window fills
// them in). The progress label carries the control identifier 506 (property "controlId").
class MonitorPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kProgressLabelId = 506;
    explicit MonitorPage(Encoder& encoder, QWidget* parent = nullptr);

    // The selected job's details, several lines; empty when no job is selected.
    void setSelectedJob(const QString& details);
    QString selectedJob() const;

private:
    void refresh();

    Encoder& encoder_;
    QLabel* source_;
    QLabel* output_;
    QLabel* profile_;
    QLabel* elapsed_;
    QLabel* progress_;
    QLabel* selected_;
    QTimer* timer_;
};

}  // namespace sw::enc
