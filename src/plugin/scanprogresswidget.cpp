#include "plugin/scanprogresswidget.h"

#include "plugin/ui_scanprogresswidget.h"

#include "gifprogresswidget.h"
#include "taskprogresswidget.h"

ScanProgressWidget::ScanProgressWidget(QWidget* parent, const QString& skinDir,
                                       MMobile::MDType type)
    : QWidget(parent), ui(new Ui_ScanProgressWidget), m_skinDir(skinDir),
      m_pSeparateProgress(nullptr), m_bEmbedded(false)
{
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);

    ui->widgetTasks->SetSkinDir(m_skinDir);
    ui->widgetTasks->AddTask(tr("Scanning data..."));
    ui->widgetTasks->AddTask(tr("Analyzing data..."));

    m_bEmbedded = UsesEmbeddedAnimation(type);
    const QString movie = m_skinDir + QStringLiteral("scanMovie.gif");
    if (m_bEmbedded) {
        ui->widgetProgress->SetMoivePath(movie);
        ui->widgetProgress->StartMovie();
    } else {
        m_pSeparateProgress = new GifProgressWidget(this, false);
        m_pSeparateProgress->setObjectName(QStringLiteral("separateProgress"));
        m_pSeparateProgress->SetMoivePath(movie);
        // A page may move the animation into a parent that dies first.
        connect(m_pSeparateProgress, &QObject::destroyed, this,
                [this] { m_pSeparateProgress = nullptr; });
        ui->widgetProgress->hide();
    }
    ui->labelTips->hide();
}

ScanProgressWidget::~ScanProgressWidget()
{
    // Our children go after this body: their destroyed() must not reach us.
    if (m_pSeparateProgress)
        disconnect(m_pSeparateProgress, nullptr, this, nullptr);
    delete ui;
}

bool ScanProgressWidget::UsesEmbeddedAnimation(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_PHOTO:
    case MMobile::MD_MESSAGE_ATTACHMENT:
    case MMobile::MD_CALL_HISTORY:
    case MMobile::MD_NOTE_ATTACHMENT:
    case MMobile::MD_VOICE_MEMO:
    case MMobile::MD_SAFARI_BOOKMARK:
    case MMobile::MD_WHATSAPP_ATTACHMENT:
    case MMobile::MD_WECHAT_ATTACHMENT:
        return true;
    default:
        return false;
    }
}

GifProgressWidget* ScanProgressWidget::Animation() const
{
    return m_bEmbedded ? ui->widgetProgress : m_pSeparateProgress;
}

void ScanProgressWidget::SetTaskText(const QString& first, const QString& second)
{
    ui->widgetTasks->UpdateTaskText(0, first);
    ui->widgetTasks->UpdateTaskText(1, second);
}

void ScanProgressWidget::SetTaskTextDataName(const QString& name)
{
    SetTaskText(tr("Scanning %1 ...").arg(name), tr("Analyzing %1 ...").arg(name));
}

void ScanProgressWidget::Update(int taskIndex, int state)
{
    ui->widgetTasks->Update(taskIndex, static_cast<TaskProgressWidget::TaskState>(state), 0);
}

void ScanProgressWidget::SetPercent(unsigned int percent)
{
    if (GifProgressWidget* animation = Animation())
        animation->SetPercent(percent);
}

void ScanProgressWidget::StartMovie()
{
    if (GifProgressWidget* animation = Animation())
        animation->StartMovie();
}

void ScanProgressWidget::StopMovie()
{
    StartMovie();
}

void ScanProgressWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceSeparateAnimation();
}

void ScanProgressWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    PlaceSeparateAnimation();
}

void ScanProgressWidget::PlaceSeparateAnimation()
{
    if (!m_pSeparateProgress || m_pSeparateProgress->parentWidget() != this)
        return;
    const QSize size = m_pSeparateProgress->sizeHint().expandedTo(QSize(1, 1));
    const QRect lines(ui->widgetTasks->mapTo(this, QPoint()), ui->widgetTasks->size());
    const int x = qMax(0, lines.left() - size.width() - 24);
    const int y = qMax(0, lines.top());
    m_pSeparateProgress->setGeometry(QRect(QPoint(x, y), size));
}

QWidget* ScanProgressWidget::SetProgressShowParent(QWidget* parent)
{
    if (m_bEmbedded || !m_pSeparateProgress)
        return nullptr;
    m_pSeparateProgress->setParent(parent);
    return m_pSeparateProgress;
}

void ScanProgressWidget::ShowNoDataTips()
{
    ui->labelTips->setText(tr("No data found."));
    ui->labelTips->show();
    ui->widgetProgress->hide();
    ui->widgetTasks->hide();
    show();
}
