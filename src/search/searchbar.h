#ifndef SEARCHBAR_H
#define SEARCHBAR_H

#include "categorypanel_global.h"

#include <QWidget>

namespace Ui {
class SearchBar;
}

// The strip above a category's table: the only-deleted switch, the search
// field with its clear button and, for pages with several WeChat accounts,
// the account chooser. It filters nothing itself; the page connects the three
// signals to its store, search engine and proxy. The bar owns its form; the
// child widgets are children of the bar.
class CATEGORYPANEL_EXPORT SearchBar : public QWidget
{
    Q_OBJECT

public:
    explicit SearchBar(QWidget* parent = nullptr);
    ~SearchBar() override;

    // The switch and the search field together; the clear button and the
    // account chooser keep their state.
    void EnableAllTool(bool enable);
    void ShowWechatComboBox(bool show);
    // Replaces the chooser's entries with `names`, in order.
    void AddDataToComboBox(QStringList& names);
    void ClearSearchInfo();

signals:
    void signalOnlyShowDeletedItems(bool onlyDeleted);
    // Every change of the search text, with the whole current text.
    void signalfilterlineEditTextEdited(const QString& text);
    void signalChangeWeChatCombox(int index);

private slots:
    void slotOnlyShowDelete(bool onlyDeleted);
    void on_filterLineEdit_textChanged(const QString& text);
    void on_clearSearchEditBtn_clicked();
    void slotChangeWeChatCombox(int index);

private:
    Ui::SearchBar* ui;
};

#endif // SEARCHBAR_H
