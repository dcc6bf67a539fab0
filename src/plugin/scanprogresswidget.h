#ifndef SCANPROGRESSWIDGET_H
#define SCANPROGRESSWIDGET_H

#include "categorypanel_global.h"
#include "contracts/mmobiletypes.h"

#include <QWidget>

class GifProgressWidget;
class Ui_ScanProgressWidget;

// What a category page shows while its scan runs: an animation with a
// percentage and two task lines, the backup of the device (line 0) and the
// analysis of the backup (line 1). When a scan finds nothing it becomes a
// plain "No data found." notice.
//
// Categories whose pages have room beside the lines show the animation inside
// the form; the others get a separate animation that the page may place
// elsewhere (SetProgressShowParent). The widget owns its form object; the
// widgets, the separate animation included, are its children until re-parented.
class CATEGORYPANEL_EXPORT ScanProgressWidget : public QWidget
{
    Q_OBJECT

public:
    ScanProgressWidget(QWidget* parent, const QString& skinDir, MMobile::MDType type);
    ~ScanProgressWidget() override;

    void SetTaskText(const QString& first, const QString& second);
    void SetTaskTextDataName(const QString& name);
    // `state` is a TASK_CTRL_STATUS value.
    void Update(int taskIndex, int state);
    void SetPercent(unsigned int percent);
    void StartMovie();
    // The kit's animation offers only StartMovie; the page hides the widget
    // right afterwards, which is what takes the animation off the screen.
    void StopMovie();
    // Moves the separate animation into `parent` and returns it; null (and
    // nothing changes) when the animation is the embedded one.
    QWidget* SetProgressShowParent(QWidget* parent);
    void ShowNoDataTips();

protected:
    // The separate animation, while still this widget's child, stands to the
    // left of the task lines.
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PlaceSeparateAnimation();
    static bool UsesEmbeddedAnimation(MMobile::MDType type);
    GifProgressWidget* Animation() const;

    Ui_ScanProgressWidget* ui;
    QString m_skinDir;
    GifProgressWidget* m_pSeparateProgress;
    bool m_bEmbedded;
};

#endif // SCANPROGRESSWIDGET_H
