#include "Icons.h"

#include "KitSetup.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace zeltrin {

namespace {

// Closest Material Icons glyph for each symbolic identifier used in the product.
// Sorted by identifier for lookup.
constexpr auto kIcons = std::to_array<IconGlyph>({
    {"airplane", "flight", 0xe539},
    {"airplane.arrival", "flight_land", 0xe904},
    {"airplane.circle", "local_airport", 0xe53d}, // the font has no plane in a ring
    {"airplane.departure", "flight_takeoff", 0xe905},
    {"antenna.radiowaves.left.and.right", "settings_input_antenna", 0xe8bf},
    {"antenna.radiowaves.left.and.right.slash", "portable_wifi_off", 0xe0ce},
    {"arrow.clockwise", "rotate_right", 0xe41a},
    {"arrow.counterclockwise", "rotate_left", 0xe419},
    {"arrow.down.circle", "arrow_circle_down", 0xf181},
    {"arrow.down.right", "south_east", 0xf1e4},
    {"arrow.left.and.right", "swap_horiz", 0xe8d4},
    {"arrow.left.arrow.right", "swap_horiz", 0xe8d4},
    {"arrow.triangle.2.circlepath.circle", "published_with_changes", 0xf232},
    {"arrow.triangle.turn.up.right.diamond", "directions", 0xe52e},
    {"arrow.up", "arrow_upward", 0xe5d8},
    {"arrow.up.and.down", "height", 0xea16},
    {"arrow.up.and.down.circle", "unfold_more", 0xe5d7},
    {"arrow.up.arrow.down", "swap_vert", 0xe8d5},
    {"arrow.up.backward.and.arrow.down.forward", "open_in_full", 0xf1ce},
    {"arrow.up.right", "north_east", 0xf1e1},
    {"arrow.up.to.line", "vertical_align_top", 0xe25a},
    {"arrow.uturn.backward", "u_turn_left", 0xeba1},
    {"battery.100.bolt", "battery_charging_full", 0xe1a3},
    {"battery.25", "battery_2_bar", 0xebe0},
    {"battery.75", "battery_5_bar", 0xebd4},
    {"bell.badge", "notifications_active", 0xe7f7},
    {"book.closed", "book", 0xe865},
    {"book.closed.fill", "menu_book", 0xea19},
    {"boomerang", "replay", 0xe042},
    {"camera", "photo_camera", 0xe412},
    {"camera.aperture", "camera", 0xe3af},
    {"camera.fill", "photo_camera", 0xe412},
    {"chart.xyaxis.line", "show_chart", 0xe6e1},
    {"checkmark", "check", 0xe5ca},
    {"checkmark.circle.fill", "check_circle", 0xe86c},
    {"chevron.left", "arrow_back_ios_new", 0xe2ea},
    {"chevron.right", "chevron_right", 0xe5cc},
    {"circle", "radio_button_unchecked", 0xe836},
    {"circle.dashed", "panorama_fish_eye", 0xe40c},
    {"circle.dotted.and.circle", "track_changes", 0xe8e1},
    {"circle.lefthalf.filled", "contrast", 0xeb37},
    {"clock", "schedule", 0xe8b5},
    {"equal", "drag_handle", 0xe25d},
    {"exclamationmark.triangle.fill", "warning", 0xe002},
    {"eye.circle", "visibility", 0xe8f4},
    {"gearshape.fill", "settings", 0xe8b8},
    {"hand.point.up.left", "touch_app", 0xe913},
    {"hourglass", "hourglass_empty", 0xe88b},
    {"house.circle.fill", "other_houses", 0xe58c},
    {"house.fill", "home", 0xe88a},
    {"light.beacon.max", "highlight", 0xe25f},
    {"line.3.horizontal", "drag_handle", 0xe25d},
    {"line.diagonal", "show_chart", 0xe6e1},
    {"list.bullet", "format_list_bulleted", 0xe241},
    {"location.fill", "near_me", 0xe569},
    {"location.fill.viewfinder", "filter_center_focus", 0xe3dc},
    {"map.circle", "map", 0xe55b},
    {"map.fill", "map", 0xe55b},
    {"mappin.and.ellipse", "place", 0xe55f},
    {"mountain.2.fill", "landscape", 0xe3f7},
    {"paperplane.fill", "send", 0xe163},
    {"pause.circle.fill", "pause_circle", 0xe1a2},
    {"pencil.and.ruler.fill", "design_services", 0xf10a},
    {"person.circle.fill", "account_circle", 0xe853},
    {"person.crop.circle", "account_circle", 0xe853},
    {"person.slash", "person_off", 0xe510},
    {"play.circle.fill", "play_circle", 0xe1c4},
    {"plus.circle.fill", "add_circle", 0xe147},
    {"record.circle", "radio_button_checked", 0xe837},
    {"safari.fill", "explore", 0xe87a},
    {"scope", "gps_fixed", 0xe1b3},
    {"shield.checkered", "shield", 0xe9e0},
    {"slider.horizontal.3", "tune", 0xe429},
    {"speedometer", "speed", 0xe9e4},
    {"square.and.arrow.up", "ios_share", 0xe6b8},
    {"stop.circle.fill", "stop_circle", 0xef71},
    {"stop.fill", "stop", 0xe047},
    {"thermometer.sun", "thermostat", 0xf076},
    {"timer", "timer", 0xe425},
    {"tornado", "tornado", 0xe199},
    {"trash.fill", "delete", 0xe872},
    {"video.slash.fill", "videocam_off", 0xe04c},
    {"view.3d", "view_in_ar", 0xe9fe},
    {"viewfinder.circle", "center_focus_strong", 0xe3b4},
    {"wand.and.stars", "auto_fix_high", 0xe663},
    {"waveform.path.ecg", "monitor_heart", 0xeaa2},
    {"wifi", "wifi", 0xe63e},
    {"wind", "air", 0xefd8},
    {"xmark", "close", 0xe5cd},
    {"xmark.circle.fill", "cancel", 0xe5c9},
});

const IconGlyph *find(QStringView id)
{
    const QByteArray key = id.toUtf8();
    const auto it = std::lower_bound(kIcons.begin(), kIcons.end(), key,
        [](const IconGlyph &g, const QByteArray &k) { return qstrcmp(g.id, k.constData()) < 0; });
    if (it != kIcons.end() && key == it->id)
        return &*it;
    return nullptr;
}

} // namespace

std::span<const IconGlyph> iconTable() { return kIcons; }

QString iconGlyph(QStringView id)
{
    const IconGlyph *g = find(id);
    return g ? QString(QChar(g->codePoint)) : QString();
}

bool hasIcon(QStringView id) { return find(id) != nullptr; }

} // namespace zeltrin

QStringList Icons::allIds() const
{
    QStringList ids;
    for (const auto &g : zeltrin::iconTable())
        ids << QString::fromLatin1(g.id);
    return ids;
}

QString Icons::family()
{
    return zeltrin::iconFontFamily();
}
