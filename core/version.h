// Texts of the version record; also read by the options window.
#pragma once

#define BRISKLET_FILE_VERSION 0, 3, 6, 0
#define BRISKLET_FILE_VERSION_TEXT "0.3.6.0"
#define BRISKLET_PRODUCT_VERSION 0, 3, 0, 0
#define BRISKLET_PRODUCT_VERSION_TEXT "0.3"
#define BRISKLET_PRODUCT_NAME "Brisklet for HOX Vostek"
#define BRISKLET_COMMENTS "Brisklet - change Status, xStatus for random humor text"
#define BRISKLET_COMPANY "Orvane software"
#define BRISKLET_FILE_NAME "Brisklet.dll"
#define BRISKLET_COPYRIGHT_REST " Orvane software, 2008-2026, Russia"
#define BRISKLET_COPYRIGHT "Copyright (c)" BRISKLET_COPYRIGHT_REST
