#include "files/files_shutdown.h"

#include "files/data_file.h"
#include "files/file_channels.h"
#include "files/ini_document.h"

namespace vorlan {

void shutdownFiles() {
    closeDataFile();
    saveIniDocument();
    closeAllChannels();
}

}  // namespace vorlan
