#!/usr/bin/env bash
# The web test bench: real servers on loopback for the download tests.
#
#   source scripts/web-bench.sh
#   web_bench_start BUILD_DIR   # starts the servers, exports QM_WEB_* (below)
#   web_bench_stop              # stops what web_bench_start started
#
# - nginx, serving BUILD_DIR/web-bench/www (byte ranges as nginx does them):
#     /files/NAME     the file www/files/NAME
#     /moved/NAME     a redirect (302) to /files/NAME
#     /unsized/NAME   www/files/NAME without a Content-Length (the answer
#                     ends when the connection closes)
#     /proxied/NAME   www/files/NAME when asked through a proxy, else 403
#     /slow/NAME      www/files/NAME at 64 KB a second
#     /fail500/...    500 Internal Server Error; anything else missing is 404
#   Its access log has one line a request: method, path, protocol, Range asked,
#   status, body bytes sent, Via (set by the proxies) and the agent.
# - tinyproxy twice: without authentication and with basic authentication.
# - scripts/cutting-relay.py in front of nginx: /cut/N/PATH is PATH with the
#   connection dropped after N bytes of the answer.
#
# Everything listens on 127.0.0.1 only, on ports found free at start, and
# runs as the current user with its pid, log and temporary files inside
# BUILD_DIR/web-bench. The tests (Windows programs under Wine) read:
#   QM_WEB_URL            http://127.0.0.1:PORT of nginx
#   QM_WEB_RELAY_URL      http://127.0.0.1:PORT of the relay
#   QM_WEB_FILES          the folder behind /files/, as a Windows path (Z:\...\)
#   QM_WEB_ACCESS_LOG     nginx's access log, as a Windows path
#   QM_WEB_PROXY          127.0.0.1 (both proxies)
#   QM_WEB_PROXY_PORT     the proxy without authentication
#   QM_WEB_AUTH_PROXY_PORT, QM_WEB_PROXY_USER, QM_WEB_PROXY_PASSWORD
#   QM_WEB_FILES_UNIX     the same folder as a Linux path (for scripts)

web_bench_free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Waits (at most 5 s) until something accepts connections on the port.
web_bench_wait_port() {
  local i
  for i in $(seq 1 50); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  echo "web-bench: nothing listens on 127.0.0.1:$1 ($2)" >&2
  return 1
}

web_bench_windows_path() {
  printf 'Z:%s' "${1//\//\\}"
}

web_bench_start() {
  local build_dir dir
  build_dir=$(cd "$1" && pwd)
  dir="$build_dir/web-bench"
  web_bench_stop
  rm -rf "$dir"
  mkdir -p "$dir/www/files" "$dir/temp"
  local nginx_port proxy_port auth_proxy_port relay_port
  nginx_port=$(web_bench_free_port)
  proxy_port=$(web_bench_free_port)
  auth_proxy_port=$(web_bench_free_port)
  relay_port=$(web_bench_free_port)

  local user_line=""
  # Only a master started as root switches users; let it keep ours.
  [ "$(id -u)" -eq 0 ] && user_line="user $(id -un) $(id -gn);"
  cat >"$dir/nginx.conf" <<EOF
$user_line
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log warn;
events { worker_connections 256; }
http {
  log_format bench '\$request_method \$request_uri \$server_protocol "\$http_range" \$status \$body_bytes_sent "\$http_via" "\$http_user_agent"';
  access_log $dir/access.log bench;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  default_type application/octet-stream;
  sendfile on;
  tcp_nopush on;
  server {
    listen 127.0.0.1:$nginx_port;
    root $dir/www;
    location /files/ { }
    location /moved/ { rewrite ^/moved/(.*)\$ /files/\$1 redirect; }
    location /fail500/ { return 500; }
    # Served only through a proxy (the proxy names itself in Via).
    location /proxied/ {
      alias $dir/www/files/;
      if (\$http_via = "") { return 403; }
    }
    # Slow enough (64 KB a second) to watch a download, or stop it half-way.
    location /slow/ {
      alias $dir/www/files/;
      limit_rate 64k;
    }
    # A substitution filter makes nginx drop the length of what it sends.
    location /unsized/ {
      alias $dir/www/files/;
      sub_filter_types *;
      sub_filter 'text-that-no-test-file-holds' '';
    }
  }
}
EOF
  nginx -c "$dir/nginx.conf" -p "$dir" </dev/null >"$dir/nginx.out" 2>&1 &
  WEB_BENCH_PIDS=$!

  local auth
  for auth in plain basic; do
    local port=$proxy_port
    [ $auth = basic ] && port=$auth_proxy_port
    {
      echo "Port $port"
      echo "Listen 127.0.0.1"
      echo "Timeout 60"
      echo "MaxClients 50"
      echo "Allow 127.0.0.1"
      echo "LogLevel Connect"
      echo "LogFile \"$dir/tinyproxy-$auth.log\""
      [ $auth = basic ] && echo "BasicAuth bench bench-secret"
    } >"$dir/tinyproxy-$auth.conf"
    tinyproxy -d -c "$dir/tinyproxy-$auth.conf" </dev/null >"$dir/tinyproxy-$auth.out" 2>&1 &
    WEB_BENCH_PIDS="$WEB_BENCH_PIDS $!"
  done

  /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/cutting-relay.py" "$relay_port" "$nginx_port" "$dir/relay.log" \
    </dev/null >"$dir/relay.out" 2>&1 &
  WEB_BENCH_PIDS="$WEB_BENCH_PIDS $!"
  export WEB_BENCH_PIDS

  web_bench_wait_port "$nginx_port" nginx || return 1
  web_bench_wait_port "$proxy_port" tinyproxy || return 1
  web_bench_wait_port "$auth_proxy_port" "tinyproxy with authentication" || return 1
  web_bench_wait_port "$relay_port" "cutting relay" || return 1

  export QM_WEB_URL="http://127.0.0.1:$nginx_port"
  export QM_WEB_RELAY_URL="http://127.0.0.1:$relay_port"
  export QM_WEB_FILES_UNIX="$dir/www/files/"
  QM_WEB_FILES=$(web_bench_windows_path "$dir/www/files/")
  QM_WEB_ACCESS_LOG=$(web_bench_windows_path "$dir/access.log")
  export QM_WEB_FILES QM_WEB_ACCESS_LOG
  export QM_WEB_PROXY=127.0.0.1
  export QM_WEB_PROXY_PORT=$proxy_port
  export QM_WEB_AUTH_PROXY_PORT=$auth_proxy_port
  export QM_WEB_PROXY_USER=bench
  export QM_WEB_PROXY_PASSWORD=bench-secret
  echo "web-bench: nginx $nginx_port, proxies $proxy_port and $auth_proxy_port, relay $relay_port"
}

web_bench_stop() {
  local pid
  for pid in ${WEB_BENCH_PIDS:-}; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in ${WEB_BENCH_PIDS:-}; do
    wait "$pid" 2>/dev/null || true
  done
  unset WEB_BENCH_PIDS
}
