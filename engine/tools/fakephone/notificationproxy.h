#pragma once

class WireStream;

// The phone's notification proxy as hosts use it around a backup: it takes
// PostNotification and ObserveNotification commands (nothing on the fake phone
// posts back) and answers Shutdown with ProxyDeath. One connection.
class NotificationProxy
{
public:
    void Run(WireStream& stream);
};
