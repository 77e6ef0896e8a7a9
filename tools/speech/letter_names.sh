#!/usr/bin/env bash
# What the speech service's voice says for letters, without a sound card: the texts are spoken
# as the editor speaks them (an SSML message in Brazilian Portuguese, the service's own choice of
# module and voice), through a private speech-dispatcher that copies the system's settings but
# writes its sound to ALSA's null device and logs at its highest level. For each text it prints
# what the output module received and the phonemes of that text in the voice the module chose
# (espeak-ng -x on exactly that text).
#
#   tools/speech/letter_names.sh [TEXT...]
#
# Without texts it checks the letters: every letter A-Z and a, e, o alone and inside a reading
# ("P igual a X mais b"), and each form of reader/words/nomes_de_letras.tsv the same way.
# Needs speech-dispatcher, spd-say and espeak-ng; the service is stopped, by its pid, on exit.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
for tool in speech-dispatcher spd-say espeak-ng; do
  command -v "$tool" >/dev/null || { echo "falta $tool" >&2; exit 2; }
done

dir=$(mktemp -d)
pid=
stop() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$dir"
}
trap stop EXIT

cp -r /etc/speech-dispatcher "$dir/conf"
printf 'LogLevel 5\nAudioOutputMethod "alsa"\nAudioALSADevice "null"\n' >>"$dir/conf/speechd.conf"
for m in "$dir"/conf/modules/*.conf; do sed -i 's/^Debug 0/Debug 1/' "$m"; done
mkdir "$dir/log" "$dir/run"
XDG_RUNTIME_DIR=$dir/run speech-dispatcher -s -t 0 -C "$dir/conf" -L "$dir/log" -c unix_socket \
  -S "$dir/speechd.sock" -P "$dir/speechd.pid" >"$dir/server.out" 2>&1 &
pid=$!
export SPEECHD_ADDRESS=unix_socket:$dir/speechd.sock
for _ in $(seq 100); do [ -S "$dir/speechd.sock" ] && break; sleep 0.1; done
[ -S "$dir/speechd.sock" ] || { echo "o speech-dispatcher não abriu o socket" >&2; cat "$dir/server.out" >&2; exit 2; }

# Speaks one text; prints the text, what the module received, the voice and the phonemes.
say() {
  local text=$1 before after received voice
  before=$(cat "$dir"/log/*.log | grep -c 'Requested data:')
  spd-say -N velloq -P message -x -l pt-BR -w "<speak>$text</speak>" || { echo "$text: spd-say falhou"; return; }
  for _ in $(seq 50); do
    after=$(cat "$dir"/log/*.log | grep -c 'Requested data:')
    [ "$after" -gt "$before" ] && break
    sleep 0.1
  done
  received=$(cat "$dir"/log/*.log | grep -a 'Requested data:' | tail -1 | sed 's/.*Requested data: |\(.*\)| [0-9]* [0-9]*$/\1/')
  voice=$(cat "$dir"/log/*.log | grep -a 'Successfully set voice to' | tail -1 | sed 's/.*voice to "\(.*\)"/\1/')
  [ -n "$voice" ] || voice=pt-br
  printf '%s\t%s\t%s\t%s\n' "$text" "$received" "$voice" "$(espeak-ng -v "$voice" -q -x -m "$received" | tr -s ' \n' ' ' | sed 's/ $//')"
}

printf 'texto\trecebido pelo módulo\tvoz\tfonemas\n'
if [ $# -gt 0 ]; then
  for t in "$@"; do say "$t"; done
  exit 0
fi
for l in {A..Z} a e o; do say "$l"; say "P igual a $l mais b"; done
grep -v '^#' "$root/reader/words/nomes_de_letras.tsv" | while IFS=$'\t' read -r letter form; do
  [ -n "$form" ] || continue
  say "$form"
  say "P igual a $form mais b"
done
