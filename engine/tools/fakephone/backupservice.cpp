#include "backupservice.h"

#include "backupsession.h"
#include "devicelink.h"
#include "plistnode.h"
#include "restoresession.h"
#include "servedbackup.h"

BackupService::BackupService(const ServedBackup& backup, PhoneState& state,
                             const std::string& restoreInto)
    : m_backup(backup), m_state(state), m_restoreInto(restoreInto)
{
}

void BackupService::Run(WireStream& stream)
{
    DeviceLink link(stream);
    if (!link.Open())
        return;
    for (;;) {
        PlistNode message;
        if (!link.Receive(&message))
            return;
        const std::string kind = PlistNode::StringValue(plist_array_get_item(message.Get(), 0));
        if (kind == "DLMessageDisconnect")
            return;
        if (kind != "DLMessageProcessMessage")
            continue;
        plist_t body = plist_array_get_item(message.Get(), 1);
        const std::string request = PlistNode::String(body, "MessageName");
        std::string target = PlistNode::String(body, "TargetIdentifier");
        if (target.empty())
            target = m_backup.Udid();
        bool connected = true;
        if (request == "Backup") {
            const bool full =
                PlistNode::Bool(plist_dict_get_item(body, "Options"), "ForceFullBackup");
            connected = BackupSession(m_backup, m_state, link, target, full).Run();
        } else if (request == "Restore") {
            std::string source = PlistNode::String(body, "SourceIdentifier");
            if (source.empty())
                source = target;
            plist_t options = plist_dict_get_item(body, "Options");
            const PlistNode copy(options ? plist_copy(options) : plist_new_dict());
            connected =
                RestoreSession(m_state, link, m_backup.Udid(), source, copy, m_restoreInto).Run();
        } else {
            connected = link.SendProcessMessage(1, "The fake phone does not support the request '" +
                                                       request + "'");
        }
        if (!connected)
            return;
    }
}
