#ifndef TASKPROGRESSWIDGET_H
#define TASKPROGRESSWIDGET_H

#include "framekit_global.h"

#include "contracts/mmobiletypes.h"

#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;
class QPixmap;
class QVBoxLayout;

// A column of task lines, each a state mark, a text and, while the task runs,
// a number beside it. Lines are added once and addressed by index; the widget
// owns their labels.
//
// The marks are drawn unless the skin folder holds a picture for the state:
// "task_waiting.png", "task_running.png", "task_done.png",
// "task_error.png", "task_stopped.png".
class FRAMEKIT_EXPORT TaskProgressWidget : public QWidget
{
    Q_OBJECT

public:
    // The task statuses of the data engine, plus the state of a line that has
    // not started yet.
    enum TaskState : int {
        TaskBegin = MMobile::TASK_BEGIN,
        TaskData = MMobile::TASK_DATA,
        TaskRunning = MMobile::TASK_PERCENT,
        TaskComplete = MMobile::TASK_COMPLETE,
        TaskError = MMobile::TASK_ERROR,
        TaskStop = MMobile::TASK_STOP,
        TaskWaiting = 6
    };
    Q_ENUM(TaskState)

    explicit TaskProgressWidget(QWidget* parent = nullptr);
    ~TaskProgressWidget() override;

    // `dir` ends with a path separator; picture names are appended to it.
    void SetSkinDir(const QString& dir);
    // Adds a waiting line; returns its index (0, 1, ...).
    int AddTask(const QString& text);
    void UpdateTaskText(int line, const QString& text);
    // `number` is the task's percentage, clamped to 0..100 and shown as
    // "<n>%" beside a running line (TaskBegin, TaskData, TaskRunning) when
    // above 0; other states hide it. A line index out of range, or a state
    // outside TaskState, changes nothing.
    void Update(int line, TaskState state, int number);

    int taskCount() const;
    // Out of range: an empty text, TaskWaiting, 0.
    QString taskText(int line) const;
    TaskState taskState(int line) const;
    int taskNumber(int line) const;
    QString skinDir() const;

private:
    struct Line
    {
        QWidget* row = nullptr;
        QLabel* mark = nullptr;
        QLabel* text = nullptr;
        QLabel* number = nullptr;
        TaskState state = TaskWaiting;
        int value = 0;
    };

    bool isValidLine(int line) const;
    void showLine(const Line& line) const;
    QPixmap markFor(TaskState state) const;

    QVBoxLayout* m_layout = nullptr;
    QVector<Line> m_lines;
    QString m_skinDir;
};

#endif // TASKPROGRESSWIDGET_H
