#include "platform/DesktopLaunch.h"

#ifdef TALLOWMARK_HAVE_GIO
#include <gio/gio.h>
#endif

namespace tallowmark::platform {

#ifdef TALLOWMARK_HAVE_GIO
LaunchResult OpenWithDefaultApplication(const std::string& target) {
    GFile* file = target.starts_with('/') ? g_file_new_for_path(target.c_str()) : g_file_new_for_uri(target.c_str());
    // The choice g_app_info_launch_default_for_uri makes (the scheme's handler, else the
    // one for the file's type), in two steps so that "no application" is told apart
    // from an application that would not start.
    GAppInfo* application = g_file_query_default_handler(file, nullptr, nullptr);
    LaunchResult result = LaunchResult::NoApplication;
    if (application) {
        char* uri = g_file_get_uri(file);
        GList uris{uri, nullptr, nullptr};
        result =
            g_app_info_launch_uris(application, &uris, nullptr, nullptr) ? LaunchResult::Started : LaunchResult::Failed;
        g_free(uri);
        g_object_unref(application);
    }
    g_object_unref(file);
    return result;
}
#else
LaunchResult OpenWithDefaultApplication(const std::string&) { return LaunchResult::Unavailable; }
#endif

}  // namespace tallowmark::platform
