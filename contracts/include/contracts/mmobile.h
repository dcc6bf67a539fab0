#ifndef MMOBILE_H
#define MMOBILE_H

// Every interface of the device data engine, for engines and tests that
// implement them all.

#include "contracts/deviceentry.h"
#include "contracts/icalendar.h"
#include "contracts/icallhistory.h"
#include "contracts/icategorydatasource.h"
#include "contracts/icontact.h"
#include "contracts/icontactaddresslist.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"
#include "contracts/idevice.h"
#include "contracts/ideviceinfo.h"
#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/imdrecord.h"
#include "contracts/imessage.h"
#include "contracts/imessageentry.h"
#include "contracts/importexportconfigure.h"
#include "contracts/inote.h"
#include "contracts/iphoto.h"
#include "contracts/ireminider.h"
#include "contracts/isafaribookmark.h"
#include "contracts/itaskctrl.h"
#include "contracts/ivoicememo.h"
#include "contracts/iwechatfriend.h"
#include "contracts/iwechatmessager.h"
#include "contracts/iwhatsappmessenger.h"
#include "contracts/mmobiletypes.h"

#endif // MMOBILE_H
