#include "notificationproxy.h"

#include "plistnode.h"
#include "wirestream.h"

void NotificationProxy::Run(WireStream& stream)
{
    for (;;) {
        PlistNode command;
        if (!stream.ReadPlist(&command, 1u << 16))
            return;
        if (PlistNode::String(command.Get(), "Command") == "Shutdown") {
            PlistNode death = PlistNode::Dict();
            plist_dict_set_item(death.Get(), "Command", plist_new_string("ProxyDeath"));
            stream.WritePlist(death);
            return;
        }
    }
}
