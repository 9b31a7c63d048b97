// Identifiers of the string table and other resources.
#ifndef TWR_RESOURCES_RESOURCE_IDS_H
#define TWR_RESOURCES_RESOURCE_IDS_H

#define IDS_ERROR_CAPTION 2300
#define IDS_WARNING_CAPTION 2301
#define IDS_APP_NAME 2305
#define IDS_CONFIRM_CAPTION 2306
#define IDS_NO_BITMAP 2325
#define IDS_NO_PALETTE 2350

#endif
