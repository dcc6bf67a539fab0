#include "photofixture.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestImageListItmModel : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PhotoSet m_set;
    std::unique_ptr<PhotoGrid> m_grid;

    QString skin() const { return m_dir.path() + QStringLiteral("/skin/"); }
    QVariant value(int row, int role) const { return m_grid->value(row, role); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("TZ", "UTC0");
        tzset();
        // Rows: title 2 March, "first", "second", title 1 March, "older".
        m_set.addPhoto(localSeconds(2024, 3, 1, 10, 0), QStringLiteral("older"));
        m_set.addPhoto(localSeconds(2024, 3, 2, 9, 0), QStringLiteral("second"));
        m_set.addPhoto(localSeconds(2024, 3, 2, 18, 0), QStringLiteral("first"));
    }
    void init() { m_grid = std::make_unique<PhotoGrid>(m_set, m_dir.path()); }
    void cleanup() { m_grid.reset(); }

    void withoutRows()
    {
        ImageListItmModel model(nullptr);
        auto tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        QVERIFY(!model.data(model.index(0, 0), Qt::DisplayRole).isValid());
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::DisplayRole).isValid());
        QVERIFY(!model.setData(model.index(0, 0), false, Qt::CheckStateRole));
        model.CheckAll(Qt::Checked);
        model.ChangeViewMode(IMAGE_VIEW_FLAT);
        ImageItemList empty(MMobile::MD_PHOTO, m_dir.path() + QStringLiteral("/work/"), skin());
        model.SetDatas(&empty);
        QCOMPARE(model.rowCount(), 0);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.CheckAll(Qt::Checked);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_grid->model.rowCount(m_grid->model.index(0, 0)), 0);
        // An index of another model reads as nothing here.
        QStandardItemModel other(1, 1);
        QVERIFY(!m_grid->model.data(other.index(0, 0), Qt::DisplayRole).isValid());
    }

    void roleTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("roles"); // display, title, members, decoration
        const int byDate = IMAGE_VIEW_BY_DATE;
        const int flat = IMAGE_VIEW_FLAT;
        QTest::newRow("by date, title") << byDate << 0 << "02-03-2024 true 2 none";
        QTest::newRow("by date, photo") << byDate << 1 << "first false 0 /thumbs/2.jpg";
        QTest::newRow("by date, second title") << byDate << 3 << "01-03-2024 true 1 none";
        QTest::newRow("by date, last photo") << byDate << 4 << "older false 0 /thumbs/0.jpg";
        QTest::newRow("flat, first photo") << flat << 0 << "first false 0 /thumbs/2.jpg";
        QTest::newRow("flat, last photo") << flat << 2 << "older false 0 /thumbs/0.jpg";
    }
    void roleTable()
    {
        QFETCH(int, mode);
        QFETCH(int, row);
        QFETCH(QString, roles);
        // Collapse every day first: the hidden role shows it in by-date only.
        m_grid->store.SetHide(0, true);
        m_grid->store.SetHide(3, true);
        m_grid->model.ChangeViewMode(ImageViewMode(mode));
        QCOMPARE(m_grid->model.rowCount(), mode == IMAGE_VIEW_FLAT ? 3 : 5);
        const QVariant decoration = value(row, Qt::DecorationRole);
        QCOMPARE((QStringList{value(row, Qt::DisplayRole).toString(),
                              value(row, ImageListItmModel::TitleRole).toString(),
                              value(row, ImageListItmModel::MemberCountRole).toString(),
                              decoration.isValid() ? decoration.toString() : "none"}
                      .join(' ')),
                 roles);
        QCOMPARE(value(row, Qt::CheckStateRole), QVariant(int(Qt::Checked)));
        QCOMPARE(value(row, ImageListItmModel::HiddenRole).toBool(), mode == IMAGE_VIEW_BY_DATE);
        QCOMPARE(value(row, ImageListItmModel::DefaultPhotoRole).toString(),
                 skin() + QStringLiteral("default_picture.png"));
        QVERIFY(!value(row, Qt::UserRole + 4).isValid());
        QCOMPARE(m_grid->model.flags(m_grid->model.index(row, 0)),
                 Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    }

    void voiceMemoDecorationIsItsPicture()
    {
        PhotoSet memos;
        memos.addMemo(10, QStringLiteral("memo"));
        ImageItemList store(MMobile::MD_VOICE_MEMO, m_dir.path() + QStringLiteral("/work/"),
                            skin());
        store.SetDatas(memos.getter());
        m_grid->model.SetDatas(&store);
        QCOMPARE(value(1, Qt::DecorationRole).toString(),
                 skin() + QStringLiteral("default_voice.png"));
        m_grid->model.SetDatas(nullptr);
    }

    void setData_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("tick");    // of photo row 1, which starts unticked
        QTest::addColumn<int>("notices"); // itemCheckedChanged and dataChanged
        QTest::addColumn<int>("resets");
        const int check = Qt::CheckStateRole;
        QTest::newRow("unchecked") << check << QVariant(int(Qt::Unchecked)) << true << 0 << 1 << 1;
        QTest::newRow("partly checked ticks") << check << QVariant(1) << true << 2 << 1 << 1;
        QTest::newRow("false") << check << QVariant(false) << true << 0 << 1 << 1;
        QTest::newRow("true") << check << QVariant(true) << true << 2 << 1 << 1;
        QTest::newRow("hidden collapses")
            << int(ImageListItmModel::HiddenRole) << QVariant(true) << false << 0 << 0 << 1;
        QTest::newRow("display") << int(Qt::DisplayRole) << QVariant(true) << false << 0 << 0 << 0;
        QTest::newRow("edit") << int(Qt::EditRole) << QVariant(true) << false << 0 << 0 << 0;
        QTest::newRow("title") << int(ImageListItmModel::TitleRole) << QVariant(true) << false << 0
                               << 0 << 0;
        QTest::newRow("members") << int(ImageListItmModel::MemberCountRole) << QVariant(true)
                                 << false << 0 << 0 << 0;
    }
    void setData()
    {
        QFETCH(int, role);
        QFETCH(QVariant, input);
        QFETCH(bool, accepted);
        QFETCH(int, tick);
        QFETCH(int, notices);
        QFETCH(int, resets);
        m_grid->store.SetChecked(1, Qt::Unchecked);
        QSignalSpy checked(&m_grid->model, &ImageListItmModel::itemCheckedChanged);
        QSignalSpy changed(&m_grid->model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&m_grid->model, &QAbstractItemModel::modelReset);
        QCOMPARE(m_grid->model.setData(m_grid->model.index(1, 0), input, role), accepted);
        QCOMPARE(value(1, Qt::CheckStateRole).toInt(), tick);
        // The title follows its day.
        QCOMPARE(value(0, Qt::CheckStateRole).toInt(), tick == 2 ? 2 : 1);
        QCOMPARE(value(1, ImageListItmModel::HiddenRole).toBool(),
                 role == ImageListItmModel::HiddenRole);
        QCOMPARE(checked.count(), notices);
        QCOMPARE(changed.count(), notices);
        QCOMPARE(reset.count(), resets);
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
        m_grid->store.SetChecked(1, Qt::Checked == state ? Qt::Unchecked : Qt::Checked);
        QSignalSpy checked(&m_grid->model, &ImageListItmModel::itemCheckedChanged);
        QSignalSpy changed(&m_grid->model, &QAbstractItemModel::dataChanged);
        m_grid->model.CheckAll(Qt::CheckState(state));
        QCOMPARE(checked.count(), 0);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex().row(), 0);
        QCOMPARE(changed.first().at(1).toModelIndex().row(), 4);
        QCOMPARE(m_grid->store.GetCheckedCount(), count);
        for (int row = 0; row < 5; ++row)
            QCOMPARE(value(row, Qt::CheckStateRole).toInt(), state);
    }
};

QTEST_GUILESS_MAIN(TestImageListItmModel)
#include "tst_imagelistitmmodel.moc"
