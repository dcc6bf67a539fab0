#include "wechataccountchooser.h"

#include "search/searchbar.h"

#include "contracts/icategorydatasource.h"
#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/iwechatfriend.h"

WeChatAccountChooser::WeChatAccountChooser(SearchBar* bar, QObject* parent)
    : QObject(parent), m_pBar(bar)
{
    connect(m_pBar, &SearchBar::signalChangeWeChatCombox, this, &WeChatAccountChooser::Choose);
}

bool WeChatAccountChooser::Reset(MMobile::ICategoryDataSource* source)
{
    m_pSource = source;
    m_names.clear();
    m_current = -1;
    MMobile::IMDGetter* accounts = source ? source->GetNamedGetter("WeChatAccounts") : nullptr;
    for (unsigned int i = 0; accounts && i < accounts->GetCount(); ++i) {
        auto* account = MMobile::record_cast<MMobile::IWeChatFriend>(accounts->GetItem(i));
        const QString name = account ? QString::fromUtf8(account->GetDisplayName()) : QString();
        m_names.append(name.isEmpty() ? tr("Account %1").arg(i + 1) : name);
    }
    // Filling the chooser makes its first entry current; the page is told below.
    m_filling = true;
    m_pBar->AddDataToComboBox(m_names);
    m_filling = false;
    m_pBar->ShowWechatComboBox(m_names.size() > 1);
    if (m_names.isEmpty())
        return false;
    Choose(0);
    return true;
}

void WeChatAccountChooser::Choose(int index)
{
    if (m_filling || !m_pSource || index < 0 || index >= m_names.size())
        return;
    const QByteArray name = "WeChatAccount" + QByteArray::number(index);
    MMobile::IMDGetter* getter = m_pSource->GetNamedGetter(name.constData());
    if (!getter)
        return;
    m_current = index;
    emit accountChosen(getter, index);
}
