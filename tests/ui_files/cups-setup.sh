#!/usr/bin/env bash
# Prepares a PDF print queue for the spooler test: starts the CUPS scheduler when it is not
# running, adds the queue M4PDF on the cups-pdf backend and makes it the default printer.
# Installs nothing; exits 0 without a queue when CUPS is absent, so the test can skip itself.
set -u
queue=M4PDF
# The scheduler needs a few seconds to open its socket after it forks.
start_wait_s=15

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
    echo "cups-setup: CUPS is not installed; the spooler test will skip"
    exit 0
fi
if [[ $(id -u) -ne 0 ]]; then
    echo "cups-setup: not root, cannot start the scheduler or add a queue; the spooler test will skip"
    exit 0
fi

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    cupsd || { echo "cups-setup: cupsd did not start"; exit 0; }
    for ((i = 0; i < start_wait_s * 2; i++)); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.5
    done
fi
if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    echo "cups-setup: the scheduler is not answering; the spooler test will skip"
    exit 0
fi

if ! lpstat -p "$queue" >/dev/null 2>&1; then
    # The model name differs between cups-pdf releases: take the one the package ships.
    model=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ && /_opt/ {print $1; exit}')
    [[ -n $model ]] || model=$(lpinfo -m 2>/dev/null | awk 'tolower($0) ~ /cups-pdf/ {print $1; exit}')
    if [[ -z $model ]]; then
        for ppd in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF.ppd; do
            [[ -f $ppd ]] && { model=$ppd; break; }
        done
        [[ -n $model ]] && model_opt=(-P "$model")
    else
        model_opt=(-m "$model")
    fi
    if [[ -z ${model_opt+x} ]]; then
        echo "cups-setup: no cups-pdf driver found; the spooler test will skip"
        exit 0
    fi
    lpadmin -p "$queue" -E -v cups-pdf:/ "${model_opt[@]}" || { echo "cups-setup: lpadmin failed"; exit 0; }
fi
# The queue turns the job's PDF into PostScript and back; cairo keeps more of the text layer
# on that way than ghostscript does, so the printed report can still be read back as text.
lpadmin -p "$queue" -o pdftops-renderer-default=pdftocairo 2>/dev/null
cupsenable "$queue" 2>/dev/null
cupsaccept "$queue" 2>/dev/null
lpoptions -d "$queue" >/dev/null || echo "cups-setup: could not make $queue the default"
echo "cups-setup: queue $queue ready"
exit 0
