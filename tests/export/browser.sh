#!/usr/bin/env bash
# Opens an exported page in headless Chromium and checks it works as a page: one box per
# record in selector order, records of either encoding shown as written, a click on a plus
# icon unfolds its record, and at a phone's width nothing scrolls sideways.
#   browser.sh EXPORT_PROBE [SCREENSHOT.png]
# Exits 77 (skipped) when Chromium is not installed (scripts/install-deps --browser).
set -euo pipefail
probe=$1
shot=${2:-}
chromium=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chromium" ] || { echo "chromium is not installed"; exit 77; }
root=$(mktemp -d /tmp/jotcrate-browser-XXXXXX)
trap 'rm -rf "$root"' EXIT
page=$("$probe" "$root")

# The check runs after the page's own onload, clicks the first plus icon, and leaves its
# findings in the page for --dump-dom to print.
cp "$page" "$root/check.html"
cat >> "$root/check.html" <<'JS'
<script>
window.addEventListener('load', function () {
  var titles = Array.prototype.map.call(document.querySelectorAll('.title'),
      function (t) { return t.firstChild.textContent; });
  var bodies = Array.prototype.map.call(document.querySelectorAll('.record'),
      function (r) { return r.textContent; });
  var icon = document.getElementById(0);
  var plusBefore = icon.src === p;
  var foldedBefore = getComputedStyle(document.getElementById('r0')).display === 'none';
  icon.click();
  var unfolded = getComputedStyle(document.getElementById('r0')).display === 'block';
  var minusAfter = icon.src === m;
  var body = document.getElementById('r0').textContent;
  icon.click();
  var foldedAgain = getComputedStyle(document.getElementById('r0')).display === 'none';
  // Everything unfolded, a phone's width must not scroll sideways.
  Array.prototype.forEach.call(document.querySelectorAll('img'), function (i) { i.click(); });
  var sideways = document.documentElement.scrollWidth > window.innerWidth;
  var result = document.createElement('div');
  result.id = 'check';
  result.textContent = JSON.stringify({titles: titles, plusBefore: plusBefore, foldedBefore: foldedBefore,
      unfolded: unfolded, minusAfter: minusAfter, foldedAgain: foldedAgain, sideways: sideways, body: body, bodies: bodies,
      allIcons: document.querySelectorAll('img').length});
  document.body.appendChild(result);
});
</script>
JS
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$root/profile" --virtual-time-budget=5000)
dom=$("$chromium" "${flags[@]}" --window-size=390,844 --dump-dom "file://$root/check.html" 2>/dev/null)
result=$(printf '%s' "$dom" | sed -n 's/.*<div id="check">\(.*\)<\/div>.*/\1/p' | sed 's/&quot;/"/g; s/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g')
echo "$result"
expected='{"titles":["Phone numbers","Recipes <b>","Long lines","New record","Café list","Übung"],"plusBefore":true,"foldedBefore":true,"unfolded":true,"minusAfter":true,"foldedAgain":true,"sideways":false,"body":"Ann 555 1234\nBob 555 9876","bodies":["Ann 555 1234\nBob 555 9876","flour & water","this line is long and stays one line as written in the record, however wide","","naïve crème","€ 5 — fertig"],"allIcons":6}'
if [ -n "$shot" ]; then
  "$chromium" "${flags[@]}" --window-size=1200,700 --screenshot="$shot" "file://$page" >/dev/null 2>&1 || true
fi
[ "$result" = "$expected" ] || { echo "expected $expected"; exit 1; }
echo "PASS: the page shows one box per record and unfolds them"
