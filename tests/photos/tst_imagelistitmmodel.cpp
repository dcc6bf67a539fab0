#include "photofixture.h"

#include "photos/imagelistitmmodel.h"
#include "store/imageitemlist.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestImageListItmModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PhotoSet m_set;
    std::unique_ptr<ImageItemList> m_store;
    std::unique_ptr<ImageListItmModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QVariant value(int row, int role) const { return m_model->index(row, 0).data(role); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Two photos on 2 March, one on 1 March (UTC), in one day of the local zone.
        qputenv("TZ", "UTC0");
        tzset();
        m_set.addPhoto(localSeconds(2024, 3, 1, 10, 0), QStringLiteral("older"));
        m_set.addPhoto(localSeconds(2024, 3, 2, 9, 0), QStringLiteral("second"));
        m_set.addPhoto(localSeconds(2024, 3, 2, 18, 0), QStringLiteral("first"));
    }

    void init()
    {
        m_store = std::make_unique<ImageItemList>(MMobile::MD_PHOTO,
                                                  m_dir.path() + QStringLiteral("/work/"), skin());
        m_store->SetDatas(m_set.getter());
        m_model = std::make_unique<ImageListItmModel>(nullptr);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        m_model->SetDatas(m_store.get());
    }

    void cleanup()
    {
        m_tester.reset();
        m_model.reset();
        m_store.reset();
    }

    void emptyModel()
    {
        ImageListItmModel model(nullptr);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        QCOMPARE(model.rowCount(), 0);
        for (int role : {0, 1, 10, 32, 33, 34, 35})
            QVERIFY(!model.data(model.index(0, 0), role).isValid());
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::DisplayRole).isValid());

        ImageItemList empty(MMobile::MD_PHOTO, m_dir.path() + QStringLiteral("/work/"), skin());
        model.SetDatas(&empty);
        QCOMPARE(model.rowCount(), 0);
        model.CheckAll(Qt::Checked);
        QCOMPARE(empty.GetCheckedCount(), 0u);
        model.SetDatas(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }

    void rowsFollowTheViewMode()
    {
        QCOMPARE(m_model->rowCount(), 5);
        QCOMPARE(m_model->rowCount(m_model->index(0, 0)), 0);
        m_model->ChangeViewMode(IMAGE_VIEW_FLAT);
        QCOMPARE(m_model->rowCount(), 3);
        m_model->ChangeViewMode(IMAGE_VIEW_BY_DATE);
        QCOMPARE(m_model->rowCount(), 5);
    }

    void roleTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("title");
        QTest::addColumn<int>("members");
        QTest::addColumn<int>("photo"); // index into the set, -1 for titles

        const int byDate = IMAGE_VIEW_BY_DATE;
        const int flat = IMAGE_VIEW_FLAT;
        QTest::newRow("by date, title") << byDate << 0 << "02-03-2024" << true << 2 << -1;
        QTest::newRow("by date, photo") << byDate << 1 << "first" << false << 0 << 2;
        QTest::newRow("by date, second title") << byDate << 3 << "01-03-2024" << true << 1 << -1;
        QTest::newRow("by date, last photo") << byDate << 4 << "older" << false << 0 << 0;
        QTest::newRow("flat, first photo") << flat << 0 << "first" << false << 0 << 2;
        QTest::newRow("flat, last photo") << flat << 2 << "older" << false << 0 << 0;
    }
    void roleTable()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, title);
        QFETCH(int, members);
        QFETCH(int, photo);
        // Collapse every day first: the hidden role shows it in by-date only.
        m_store->SetHide(0, true);
        m_store->SetHide(3, true);
        m_model->ChangeViewMode(ImageViewMode(mode));

        QCOMPARE(value(row, Qt::DisplayRole).toString(), text);
        QCOMPARE(value(row, ImageListItmModel::TitleRole).toBool(), title);
        QCOMPARE(value(row, ImageListItmModel::MemberCountRole).toInt(), members);
        QCOMPARE(value(row, Qt::CheckStateRole), QVariant(int(Qt::Checked)));
        QCOMPARE(value(row, ImageListItmModel::HiddenRole).toBool(), mode == IMAGE_VIEW_BY_DATE);
        QCOMPARE(value(row, ImageListItmModel::DefaultPhotoRole).toString(),
                 skin() + QStringLiteral("default_picture.png"));
        if (photo < 0)
            QVERIFY(!value(row, Qt::DecorationRole).isValid());
        else
            QCOMPARE(value(row, Qt::DecorationRole).toString(),
                     QString::fromUtf8(m_set.photo(photo)->thumbnailPath().bytes()));
        QVERIFY(!value(row, Qt::UserRole + 4).isValid());
        QVERIFY(!value(row, Qt::EditRole).isValid());
        QCOMPARE(m_model->flags(m_model->index(row, 0)),
                 Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    }

    void voiceMemoDecorationIsItsPicture()
    {
        PhotoSet memos;
        memos.addMemo(10, QStringLiteral("memo"));
        ImageItemList store(MMobile::MD_VOICE_MEMO, m_dir.path() + QStringLiteral("/work/"),
                            skin());
        store.SetDatas(memos.getter());
        m_model->SetDatas(&store);
        QCOMPARE(value(1, Qt::DecorationRole).toString(),
                 skin() + QStringLiteral("default_voice.png"));
        QCOMPARE(value(1, Qt::DisplayRole).toString(), QStringLiteral("memo"));
        m_model->SetDatas(m_store.get());
    }

    void flagsOfTheRoot() { QCOMPARE(m_model->flags(QModelIndex()), Qt::NoItemFlags); }

    void setDataTicks_data()
    {
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<int>("expected");
        QTest::newRow("unchecked") << QVariant(int(Qt::Unchecked)) << int(Qt::Unchecked);
        QTest::newRow("partly checked ticks")
            << QVariant(int(Qt::PartiallyChecked)) << int(Qt::Checked);
        QTest::newRow("false") << QVariant(false) << int(Qt::Unchecked);
        QTest::newRow("true") << QVariant(true) << int(Qt::Checked);
    }
    void setDataTicks()
    {
        QFETCH(QVariant, input);
        QFETCH(int, expected);
        m_store->SetChecked(1, Qt::Unchecked);
        m_store->SetChecked(2, Qt::Checked);
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QSignalSpy dataChanged(m_model.get(), &QAbstractItemModel::dataChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);

        QVERIFY(m_model->setData(m_model->index(1, 0), input, Qt::CheckStateRole));
        QCOMPARE(value(1, Qt::CheckStateRole).toInt(), expected);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(dataChanged.count(), 1);
        QCOMPARE(reset.count(), 1);
        // The title follows its day.
        QCOMPARE(value(0, Qt::CheckStateRole).toInt(),
                 expected == Qt::Checked ? int(Qt::Checked) : int(Qt::PartiallyChecked));
    }

    void setDataCollapses()
    {
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QVERIFY(!m_model->setData(m_model->index(0, 0), true, ImageListItmModel::HiddenRole));
        QVERIFY(value(0, ImageListItmModel::HiddenRole).toBool());
        QVERIFY(value(1, ImageListItmModel::HiddenRole).toBool());
        QVERIFY(value(2, ImageListItmModel::HiddenRole).toBool());
        QVERIFY(!value(3, ImageListItmModel::HiddenRole).toBool());
        QCOMPARE(reset.count(), 1);
        QVERIFY(!m_model->setData(m_model->index(0, 0), false, ImageListItmModel::HiddenRole));
        QVERIFY(!value(1, ImageListItmModel::HiddenRole).toBool());
        QCOMPARE(changed.count(), 0);
    }

    void setDataOtherRolesChangeNothing_data()
    {
        QTest::addColumn<int>("role");
        QTest::newRow("display") << int(Qt::DisplayRole);
        QTest::newRow("edit") << int(Qt::EditRole);
        QTest::newRow("title") << int(ImageListItmModel::TitleRole);
        QTest::newRow("members") << int(ImageListItmModel::MemberCountRole);
    }
    void setDataOtherRolesChangeNothing()
    {
        QFETCH(int, role);
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QSignalSpy reset(m_model.get(), &QAbstractItemModel::modelReset);
        QVERIFY(!m_model->setData(m_model->index(1, 0), false, role));
        QCOMPARE(value(1, Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(reset.count(), 0);
    }

    void checkAll_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<unsigned int>("count");
        QTest::newRow("unchecked") << int(Qt::Unchecked) << 0u;
        QTest::newRow("checked") << int(Qt::Checked) << 3u;
    }
    void checkAll()
    {
        QFETCH(int, state);
        QFETCH(unsigned int, count);
        m_store->SetChecked(1, Qt::Checked == state ? Qt::Unchecked : Qt::Checked);
        QSignalSpy changed(m_model.get(), &ImageListItmModel::itemCheckedChanged);
        QSignalSpy dataChanged(m_model.get(), &QAbstractItemModel::dataChanged);
        m_model->CheckAll(Qt::CheckState(state));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(dataChanged.count(), 1);
        QCOMPARE(dataChanged.first().at(0).toModelIndex().row(), 0);
        QCOMPARE(dataChanged.first().at(1).toModelIndex().row(), 4);
        QCOMPARE(m_store->GetCheckedCount(), count);
        for (int row = 0; row < m_model->rowCount(); ++row)
            QCOMPARE(value(row, Qt::CheckStateRole).toInt(), state);
    }
};

QTEST_GUILESS_MAIN(TestImageListItmModel)
#include "tst_imagelistitmmodel.moc"
