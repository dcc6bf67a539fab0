#include "taskprogresswidget.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <QVariant>

namespace {

const int kMarkSize = 16;

bool isRunningState(TaskProgressWidget::TaskState state)
{
    return state == TaskProgressWidget::TaskBegin || state == TaskProgressWidget::TaskData ||
           state == TaskProgressWidget::TaskRunning;
}

bool isKnownState(int state)
{
    return state >= TaskProgressWidget::TaskBegin && state <= TaskProgressWidget::TaskWaiting;
}

const char* pictureName(TaskProgressWidget::TaskState state)
{
    switch (state) {
    case TaskProgressWidget::TaskComplete:
        return "task_done.png";
    case TaskProgressWidget::TaskError:
        return "task_error.png";
    case TaskProgressWidget::TaskStop:
        return "task_stopped.png";
    case TaskProgressWidget::TaskWaiting:
        return "task_waiting.png";
    default:
        return "task_running.png";
    }
}

QPixmap drawnMark(TaskProgressWidget::TaskState state)
{
    QPixmap pixmap(kMarkSize, kMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, kMarkSize - 3, kMarkSize - 3);
    QPen line(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    switch (state) {
    case TaskProgressWidget::TaskWaiting:
        painter.setPen(QPen(QColor(170, 170, 170), 1.5));
        painter.drawEllipse(box);
        break;
    case TaskProgressWidget::TaskComplete:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(46, 160, 67));
        painter.drawEllipse(box);
        painter.setPen(line);
        painter.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5.5)}));
        break;
    case TaskProgressWidget::TaskError:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(210, 50, 45));
        painter.drawEllipse(box);
        painter.setPen(line);
        painter.drawLine(QPointF(5, 5), QPointF(11, 11));
        painter.drawLine(QPointF(11, 5), QPointF(5, 11));
        break;
    case TaskProgressWidget::TaskStop:
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(140, 140, 140));
        painter.drawEllipse(box);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(5, 5, 6, 6));
        break;
    default:
        // Running: a ring with a filled centre.
        painter.setPen(QPen(QColor(40, 120, 210), 1.5));
        painter.drawEllipse(box);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 120, 210));
        painter.drawEllipse(box.adjusted(3.5, 3.5, -3.5, -3.5));
        break;
    }
    return pixmap;
}

} // namespace

TaskProgressWidget::TaskProgressWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TaskProgressWidget"));
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(8);
    m_layout->addStretch(1);
}

TaskProgressWidget::~TaskProgressWidget() = default;

void TaskProgressWidget::SetSkinDir(const QString& dir)
{
    m_skinDir = dir;
    for (const Line& line : qAsConst(m_lines))
        showLine(line);
}

int TaskProgressWidget::AddTask(const QString& text)
{
    const int index = m_lines.size();
    Line line;
    line.row = new QWidget(this);
    line.row->setObjectName(QStringLiteral("taskLine%1").arg(index));
    line.mark = new QLabel(line.row);
    line.mark->setObjectName(QStringLiteral("lblTaskMark"));
    line.mark->setFixedSize(kMarkSize, kMarkSize);
    line.text = new QLabel(text, line.row);
    line.text->setObjectName(QStringLiteral("lblTaskText"));
    line.number = new QLabel(line.row);
    line.number->setObjectName(QStringLiteral("lblTaskNumber"));

    auto* rowLayout = new QHBoxLayout(line.row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(6);
    rowLayout->addWidget(line.mark);
    rowLayout->addWidget(line.text);
    rowLayout->addWidget(line.number);
    rowLayout->addStretch(1);

    // Before the trailing stretch, so the lines stay together at the top.
    m_layout->insertWidget(index, line.row);
    m_lines.append(line);
    showLine(line);
    return index;
}

void TaskProgressWidget::UpdateTaskText(int line, const QString& text)
{
    if (isValidLine(line))
        m_lines[line].text->setText(text);
}

void TaskProgressWidget::Update(int line, TaskState state, int number)
{
    if (!isValidLine(line) || !isKnownState(state))
        return;
    Line& target = m_lines[line];
    target.state = state;
    target.value = qBound(0, number, 100);
    showLine(target);
}

int TaskProgressWidget::taskCount() const
{
    return m_lines.size();
}

QString TaskProgressWidget::taskText(int line) const
{
    return isValidLine(line) ? m_lines.at(line).text->text() : QString();
}

TaskProgressWidget::TaskState TaskProgressWidget::taskState(int line) const
{
    return isValidLine(line) ? m_lines.at(line).state : TaskWaiting;
}

int TaskProgressWidget::taskNumber(int line) const
{
    return isValidLine(line) ? m_lines.at(line).value : 0;
}

QString TaskProgressWidget::skinDir() const
{
    return m_skinDir;
}

bool TaskProgressWidget::isValidLine(int line) const
{
    return line >= 0 && line < m_lines.size();
}

void TaskProgressWidget::showLine(const Line& line) const
{
    line.mark->setPixmap(markFor(line.state));
    // Style sheets can tell the states apart through this property.
    line.row->setProperty("taskState", static_cast<int>(line.state));
    const bool showNumber = isRunningState(line.state) && line.value > 0;
    line.number->setText(showNumber ? QStringLiteral("%1%").arg(line.value) : QString());
    line.number->setVisible(showNumber);
}

QPixmap TaskProgressWidget::markFor(TaskState state) const
{
    if (!m_skinDir.isEmpty()) {
        const QString file = m_skinDir + QLatin1String(pictureName(state));
        if (QFileInfo(file).isFile()) {
            QPixmap picture(file);
            if (!picture.isNull())
                return picture;
        }
    }
    return drawnMark(state);
}
