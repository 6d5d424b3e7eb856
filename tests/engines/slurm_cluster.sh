#!/usr/bin/env bash
# A one-node Slurm cluster of its own, for the engine tests: its configuration, munge key
# and socket, state and ports all live in DIR, so that it shares nothing with another.
#   slurm_cluster.sh start DIR   # prints nothing; DIR/slurm.conf is the one to use
#   slurm_cluster.sh stop DIR    # stops its daemons by their process ids
set -euo pipefail
action=$1 dir=$2

start() {
    mkdir -p "$dir"/{run,spool,state,log,munge}
    chmod 755 "$dir" # munged runs as munge and must reach its own folder
    chown munge:munge "$dir/munge"
    mungekey -c -k "$dir/munge/munge.key" 2>/dev/null
    chown munge:munge "$dir/munge/munge.key"
    chmod 400 "$dir/munge/munge.key"
    su -s /bin/sh munge -c "munged --key-file='$dir/munge/munge.key' \
        --socket='$dir/munge/munge.socket' --pid-file='$dir/munge/munged.pid' \
        --log-file='$dir/munge/munged.log' --seed-file='$dir/munge/munged.seed'"
    local port=$((20000 + RANDOM % 20000)) node
    node=$(hostname -s)
    cat >"$dir/slurm.conf" <<CONF
ClusterName=plexi
SlurmctldHost=$node
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthType=auth/munge
AuthInfo=socket=$dir/munge/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmdSpoolDir=$dir/spool
StateSaveLocation=$dir/state
SlurmUser=root
SlurmdUser=root
SlurmctldLogFile=$dir/log/ctld.log
SlurmdLogFile=$dir/log/d.log
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
KillWait=5
NodeName=$node CPUs=$(nproc) RealMemory=2000 State=UNKNOWN
PartitionName=main Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
    export SLURM_CONF=$dir/slurm.conf
    slurmctld -f "$SLURM_CONF"
    slurmd -f "$SLURM_CONF"
    for _ in $(seq 100); do
        sinfo -h -o %t 2>/dev/null | grep -q idle && return 0
        sleep 0.2
    done
    echo "slurm_cluster: the node did not come up" >&2
    tail -5 "$dir"/log/*.log >&2 || true
    return 1
}

stop() {
    local file pid
    for file in "$dir/run/slurmd.pid" "$dir/run/slurmctld.pid" "$dir/munge/munged.pid"; do
        [ -s "$file" ] || continue
        pid=$(cat "$file")
        kill "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    done
}

"$action"
