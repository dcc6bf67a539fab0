#ifndef ILOADCALLBACK_H
#define ILOADCALLBACK_H

// Optional host callback given to IUIDataPlugin::Load. When present the host
// shows scan progress itself. Called from the engine's threads (OnScanAborted
// from the GUI thread), so an implementation must be thread-safe.

class ILoadCallback
{
public:
    virtual bool IsStopRequested() = 0;
    virtual void OnScanStatus(int status) = 0;
    virtual void OnScanPercent(int percent) = 0;
    virtual void OnScanAborted() = 0;

protected:
    ~ILoadCallback() = default;
};

#endif // ILOADCALLBACK_H
