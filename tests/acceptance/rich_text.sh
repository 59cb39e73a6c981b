#!/usr/bin/env bash
# A richText rule pastes formatted text into a contenteditable page in Firefox ESR, where the bold
# part stays bold (the page reports its HTML), and its plain text into zenity.
source "$(dirname "$0")/lib.sh"
command -v firefox-esr >/dev/null || fail "firefox-esr is not installed"

rtf='{\rtf1\ansi\ansicpg1252{\fonttbl\f0\fswiss Helvetica;}\f0 Caf\'"'"'e9 {\b cr\'"'"'e8me br\u251?l\'"'"'e9e} for \u8364?5}'
write_rules "$(rule "Rich" "*" "$rtf" richText)"
start_ondrel

start_zenity "rich text"
press_and_wait_save
[ "$(finish_zenity)" = "Café crème brûlée for €5" ] || fail "zenity got '$(cat "$work/zenity.out")'"
ok "zenity got the rule's plain text"

start_page_server
cat >"$work/www/editor.html" <<'HTML'
<!doctype html><meta charset="utf-8"><title>Editor</title>
<style>html,body{margin:0;height:100%}#editor{height:100%;outline:none}</style>
<div id="editor" contenteditable="true"></div>
<script>
const report = (body) => fetch("/report", {method: "POST", body});
const editor = document.getElementById("editor");
editor.addEventListener("input", () => {
  const bold = [...editor.querySelectorAll("*")]
    .filter((node) => parseInt(getComputedStyle(node).fontWeight, 10) >= 600)
    .map((node) => node.textContent).join("|");
  report("text " + editor.textContent.trim());
  report("bold " + bold);
});
addEventListener("load", () => { editor.focus(); report("load"); });
</script>
HTML
start_firefox "http://127.0.0.1:$port/editor.html"
wait_until 60 reported "load" || fail "Firefox did not load the editor page"
sleep 0.5
click_page
press_and_wait_save
wait_until 10 reported "text Café crème brûlée for €5" ||
  fail "the page got $(reports | grep '^text' | tail -1)"
ok "the contenteditable page got the text"
last_bold() { reports | grep '^bold ' | tail -1; }
bold_kept() { last_bold | grep -q "crème brûlée"; }
wait_until 5 bold_kept || fail "the bold part is not bold on the page: $(last_bold)"
ok "the bold part is bold on the page"
stop_browser
stop_ondrel
