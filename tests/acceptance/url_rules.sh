#!/usr/bin/env bash
# URL rules in Firefox ESR and Chromium, on pages served on 127.0.0.1: a `domain`, a `prefix` and
# a `regex` rule each paste their own text on their own page, one tab navigated from page to
# page; each page reports to the server what it received.
source "$(dirname "$0")/lib.sh"
command -v firefox-esr >/dev/null && command -v chromium >/dev/null || fail "a browser is missing"

start_page_server
cat >"$work/page.html" <<'HTML'
<!doctype html><meta charset="utf-8"><title>Paste page</title>
<style>html,body{margin:0;height:100%}textarea{width:100%;height:100%;box-sizing:border-box}</style>
<textarea id="target" autofocus></textarea>
<script>
const report = (body) => fetch("/report", {method: "POST", body});
const target = document.getElementById("target");
target.addEventListener("input", () => report("input " + location.href + " " + target.value));
addEventListener("load", () => { target.focus(); report("load " + location.href); });
</script>
HTML
mkdir -p "$work/www/docs" "$work/www/item"
cp "$work/page.html" "$work/www/welcome.html"
cp "$work/page.html" "$work/www/docs/guide.html"
cp "$work/page.html" "$work/www/item/42.html"
pages=("http://localhost:$port/welcome.html" "http://127.0.0.1:$port/docs/guide.html"
       "http://127.0.0.1:$port/item/42.html")

rules=()
for browser in firefox-esr chromium; do
  rules+=("$(rule "$browser domain" "$browser" "$browser by domain" plainText localhost domain)")
  rules+=("$(rule "$browser prefix" "$browser" "$browser by prefix" plainText "http://127.0.0.1:$port/docs/" prefix)")
  rules+=("$(rule "$browser regex" "$browser" "$browser by regex" plainText '^http://127\.0\.0\.1:[0-9]+/item/[0-9]+\.html$' regex)")
done
write_rules "${rules[@]}"
start_ondrel

# paste_on_pages BROWSER: visits the three pages in one tab, and back to the first, pasting on each.
paste_on_pages() {
  local browser=$1 url kind i=0
  for url in "${pages[@]}" "${pages[0]}"; do
    [ $i = 0 ] || navigate_to "$url"
    wait_until 60 reported "load $url" || fail "$browser did not load $url"
    sleep 0.5
    click_page
    press_and_wait_save
    case "$url" in
      *localhost*) kind=domain ;; */docs/*) kind=prefix ;; *) kind=regex ;;
    esac
    wait_until 10 reported "input $url $browser by $kind" ||
      fail "$browser on $url: the page reported $(reports | grep -F "input $url" | tail -1)"
    ok "$browser: the $kind rule pasted its text on $url"
    : >"$work/reports.log"
    i=$((i + 1))
  done
}

start_firefox "${pages[0]}"
paste_on_pages firefox-esr
stop_browser
start_chromium "${pages[0]}"
paste_on_pages chromium
stop_browser
stop_ondrel
