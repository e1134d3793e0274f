#!/usr/bin/env bash
# The toolkit's own words and the web view's commands, as a user of a Chinese desktop meets
# them: the search box's context menu is in Chinese; the lookup page's context menu is in
# Chinese and offers no command that does nothing (view source, save page, open in a new
# window); a link followed inside the panel can be gone back from with Alt+Left and with the
# mouse's back button; help (F1) on a desktop without a browser says so and gives the address.
# The menus, pages and alerts are read as a screen reader reads them.
# Runs in a network namespace of its own when root, so the lookup service's fixed port is free.
# Usage: page_commands_e2e.sh QUELMARN QUELMARN_LOOKUPD OUTPUT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/atspi_lib.sh"
e2e_own_network "$@"
app="$1" service="$2" out="$3"
e2e_private_session "$out"
e2e_start_lookup_service "$service" "$out"
e2e_start_accessibility_bus "$out/bus.address"
# No browser: nothing on the search path opens a URL.
mkdir -p "$out/no-browser"
E2E_APP_LAUNCHER=(env BROWSER="" PATH="$out/no-browser")
e2e_start_app_window "$app" "$out/app.log"
window="$E2E_WINDOW"

# Fails if dump $1 has a line matching the extended regex $2, which names what must not be there.
expect_no_element() {
    if grep -qE "$2" "$1"; then
        cat "$1" >&2
        e2e_fail "unexpected element matching '$2' in $1"
    fi
}

# The search box's context menu, opened from the keyboard.
xdotool windowfocus --sync "$window"
xdotool key ctrl+f
xdotool type --delay 20 "abc"
e2e_dump_menu_after "$out/search-menu.atspi" "xdotool key Menu"
e2e_expect_element "$out/search-menu.atspi" '\[menu item\] "复制'
e2e_expect_element "$out/search-menu.atspi" '\[menu item\] "全选'
expect_no_element "$out/search-menu.atspi" '\[menu item\] "(Copy|Select All|Undo)'
xdotool key Escape

# A serial the service does not know: its page links to the help page.
xdotool key ctrl+a
xdotool type --delay 20 "NOSUCH0001"
xdotool key Return
e2e_wait_for_line "$out/app.log" 60 '\] finish load$'
sleep 1
e2e_dump_accessible_tree "$out/answer.atspi"
e2e_expect_element "$out/answer.atspi" '"查询结果".*description="查询结果 未找到该序列号'

# The page's context menu, from the keyboard inside the page.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 60)) click 1
sleep 0.5
e2e_dump_menu_after "$out/page-menu.atspi" "xdotool key Menu"
e2e_expect_element "$out/page-menu.atspi" '\[menu item\] "重新加载'
expect_no_element "$out/page-menu.atspi" '\[menu item\] "(Back|Reload|View page source|Save page|查看页面源|保存页面)'
e2e_screenshot "$window" "$out/page-menu.png"
xdotool key Escape

# Follows the page's one link from the keyboard and waits for load number $1 to finish.
follow_link() {
    xdotool key Tab Return
    for _ in $(seq 100); do
        (($(grep -c '\] finish load$' "$out/app.log") >= $1)) && return 0
        sleep 0.1
    done
    e2e_fail "the link was not followed"
}
# Waits until load number $1 has finished and the answer's page shows again.
expect_back() {
    for _ in $(seq 100); do
        (($(grep -c '\] finish load$' "$out/app.log") >= $1)) && break
        sleep 0.1
    done
    sleep 1
    e2e_dump_accessible_tree "$out/back-$1.atspi"
    e2e_expect_element "$out/back-$1.atspi" '"查询结果".*description="查询结果 未找到该序列号'
}

follow_link 2
sleep 1
e2e_dump_accessible_tree "$out/help.atspi"
expect_no_element "$out/help.atspi" 'description="查询结果 未找到该序列号'
xdotool key alt+Left
expect_back 3
grep -q '\] did fail load$' "$out/app.log" && e2e_fail "going back failed"

follow_link 4
xdotool mousemove --window "$window" $((WIDTH / 2)) $((HEIGHT - 60)) click 8
expect_back 5
grep -q '\] did fail load$' "$out/app.log" && e2e_fail "going back failed"
kill -0 "$E2E_APP_PID" || e2e_fail "the application is gone"

# Help without a browser.
xdotool windowfocus --sync "$window"
xdotool key F1
sleep 1
e2e_dump_accessible_tree "$out/help-alert.atspi"
e2e_expect_element "$out/help-alert.atspi" '"没有找到可以打开帮助页面的浏览器"'
e2e_expect_element "$out/help-alert.atspi" 'http://127\.0\.0\.1:47180/kb/HT1349\?viewlocale=zh_CN'
e2e_take_alert "$window" "$out/help-alert.png"
xdotool key Return
