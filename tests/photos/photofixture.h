#ifndef PHOTOFIXTURE_H
#define PHOTOFIXTURE_H

#include "fakegetter.h"
#include "fakeitem.h"
#include "fakephoto.h"
#include "fakevoicememo.h"

#include "photos/imagelistitmmodel.h"
#include "store/imageitemlist.h"

#include <QAbstractItemModelTester>

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QThreadPool>
#include <QVector>

#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

// Photo and voice-memo items for the photo store and grid tests. Item i of
// getter() is the i-th item added, so data indexes follow the order of adding.
class PhotoSet
{
public:
    FakePhoto* addPhoto(std::uint64_t time, const QString& text = QString(),
                        int kind = MMobile::FILE_KIND_PICTURE)
    {
        auto photo = std::make_unique<FakePhoto>();
        FakePhoto* raw = photo.get();
        raw->setTime(time);
        raw->setDisplayText(text.isNull() ? QStringLiteral("photo %1").arg(m_items.size()) : text);
        raw->setFileKind(kind);
        // A stored thumbnail keeps these tests away from image files unless a
        // test asks for them by clearing it.
        raw->setThumbnailPath(QStringLiteral("/thumbs/%1.jpg").arg(m_items.size()));
        m_items.push_back(FakeItem::owning(std::move(photo)));
        m_photos.push_back(raw);
        return raw;
    }

    FakeVoiceMemo* addMemo(std::uint64_t time, const QString& text)
    {
        auto memo = std::make_unique<FakeVoiceMemo>();
        FakeVoiceMemo* raw = memo.get();
        raw->setTime(time);
        raw->setDisplayText(text);
        m_items.push_back(FakeItem::owning(std::move(memo)));
        m_memos.push_back(raw);
        return raw;
    }

    FakeGetter* getter()
    {
        QVector<MMobile::IMDCommon*> reversed;
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
            reversed.append(it->get());
        m_getter.clear();
        m_getter.prepend(reversed);
        return &m_getter;
    }

    FakeItem* item(int i) const { return m_items.at(size_t(i)).get(); }
    FakePhoto* photo(int i) const { return m_photos.at(size_t(i)); }
    FakeVoiceMemo* memo(int i) const { return m_memos.at(size_t(i)); }
    int count() const { return int(m_items.size()); }

private:
    std::vector<std::unique_ptr<FakeItem>> m_items;
    std::vector<FakePhoto*> m_photos;
    std::vector<FakeVoiceMemo*> m_memos;
    FakeGetter m_getter;
};

// Seconds since the epoch of a local date and time.
inline std::uint64_t localSeconds(int year, int month, int day, int hour, int minute)
{
    return std::uint64_t(
        QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime).toSecsSinceEpoch());
}

// A picture with some structure (gradients, a disc and stripes), so scaled
// copies of it can be compared meaningfully.
inline QImage samplePicture(int width, int height, int seed = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 160, 240));
    sky.setColorAt(1, QColor::fromHsv((seed * 47 + 120) % 360, 200, 120));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((seed * 47 + 200) % 360, 220, 250));
    painter.drawEllipse(QPointF(width * 0.65, height * 0.4), width * 0.18, width * 0.18);
    painter.setBrush(QColor(30, 60, 40));
    for (int i = 0; i < 8; ++i)
        painter.drawRect(QRectF(width * i / 8.0, height * 0.7, width / 20.0, height * 0.3));
    return image;
}

// Runs `work` (a conversion, a smooth scale, a picture file written) on a
// thread of Qt's global pool, as the store and the engine do theirs, and
// returns its result. There Qt works on a large picture in one piece; from
// any other thread it hands slices of it to the pool through locks that
// thread sanitizers cannot see.
template <typename Work> auto onQtPool(Work work) -> decltype(work())
{
    using Result = decltype(work());
    struct Task
    {
        Work& work;
        std::promise<Result> done;
    } task{work, {}};
    std::future<Result> result = task.done.get_future();
    // Qt hands the task over under its own lock; this one, older than any
    // pool thread, shows the pool thread what this thread made before.
    static std::mutex handOver;
    handOver.lock();
    handOver.unlock();
    Task* const taken = &task; // one pointer: Qt's runnable holds it in place
    QThreadPool::globalInstance()->start([taken] {
        handOver.lock();
        handOver.unlock();
        taken->done.set_value(taken->work());
    });
    return result.get();
}

// Mean difference per channel of two pictures of one size, in 1/255 units.
inline double meanDifference(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_RGB32);
    const QImage right = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * left.width() * left.height());
}

// A photo store filled from `set`, with <folder>/work/ and <folder>/skin/, and
// the grid model over it under a fatal model tester. Owns both; `set` must
// outlive it.
struct PhotoGrid
{
    PhotoGrid(PhotoSet& set, const QString& folder)
        : store(MMobile::MD_PHOTO, folder + QStringLiteral("/work/"),
                folder + QStringLiteral("/skin/"))
    {
        store.SetDatas(set.getter());
        model.SetDatas(&store);
    }
    QVariant value(int row, int role) const { return model.index(row, 0).data(role); }

    ImageItemList store;
    ImageListItmModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

#endif // PHOTOFIXTURE_H
