#ifndef WECHATACCOUNTCHOOSER_H
#define WECHATACCOUNTCHOOSER_H

#include "contracts/imdgetter.h"

#include <QObject>
#include <QStringList>

class SearchBar;

namespace MMobile {
class ICategoryDataSource;
} // namespace MMobile

// The WeChat account chooser of a page: after a scan it reads the accounts
// the engine named ("WeChatAccounts", one record per account), fills the
// search bar's chooser when there are several and tells the page which
// account's data set ("WeChatAccount<i>") to show, at once and whenever the
// user picks another. Pages of other categories find no accounts and are
// left alone. The source and the bar are borrowed from the page that owns
// this object.
class WeChatAccountChooser : public QObject
{
    Q_OBJECT

public:
    WeChatAccountChooser(SearchBar* bar, QObject* parent);

    // Reads the accounts of the last scan and shows the first one; false
    // when the source names none.
    bool Reset(MMobile::ICategoryDataSource* source);
    int AccountCount() const { return m_names.size(); }
    // The account shown, -1 when there are no accounts.
    int Current() const { return m_current; }

signals:
    // Show `getter`'s items: the records of account `index`.
    void accountChosen(MMobile::IMDGetter* getter, int index);

private:
    void Choose(int index);

    SearchBar* m_pBar;
    MMobile::ICategoryDataSource* m_pSource = nullptr;
    QStringList m_names;
    int m_current = -1;
    bool m_filling = false;
};

#endif // WECHATACCOUNTCHOOSER_H
