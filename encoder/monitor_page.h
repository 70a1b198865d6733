#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace sw::enc {

class Encoder;

// The encoder's monitoring page: the current run's source, output, profile, elapsed time and
// progress. The progress label carries the control identifier 506 (property "controlId").
class MonitorPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kProgressLabelId = 506;
    explicit MonitorPage(Encoder& encoder, QWidget* parent = nullptr);

private:
    void refresh();

    Encoder& encoder_;
    QLabel* source_;
    QLabel* output_;
    QLabel* profile_;
    QLabel* elapsed_;
    QLabel* progress_;
    QTimer* timer_;
};

}  // namespace sw::enc
