// Draws the report's charts from the chart definitions the program wrote,
// fills the tables and wires their sorting and filtering. The body's
// data-charts-* attributes tell how many charts were expected, drawn and
// failed, and data-report-ready is set once every chart is drawn.
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('report-data').textContent);
  var body = document.body;
  var drawn = 0;
  var failed = 0;
  body.dataset.chartsExpected = String(data.expected_charts);

  // Rows under column names, as the objects the charts take.
  function objects(columns, rows) {
    return rows.map(function (row, i) {
      var object = { i: i };
      columns.forEach(function (c, k) { object[c] = row[k]; });
      return object;
    });
  }
  var shared = {};
  function sharedSet(name) {
    if (!shared[name]) {
      shared[name] = objects(data.datasets[name].columns, data.datasets[name].rows);
    }
    return shared[name];
  }

  // The rows of a templated chart's data sets, as objects.
  function setsOf(entry) {
    var template = data.templates[entry.t];
    var sets = {};
    Object.keys(entry.data).forEach(function (name) {
      var rows = entry.data[name];
      // A number names a curve shared by several elements.
      if (typeof rows === 'number') rows = data.curves[rows];
      sets[name] = objects(template.columns[name], rows);
    });
    return sets;
  }

  function drawnOne(element) {
    drawn += 1;
    element.dataset.drawn = '1';
  }

  function failedOne(element, error) {
    failed += 1;
    element.dataset.failed = String(error);
    console.error('chart ' + element.id + ': ' + error);
  }

  // A chart written whole: the drawings of the wall, which share the data
  // sets they name; drawn on a canvas when they hold thousands of marks.
  function drawWhole(element, entry) {
    var chart = entry.chart;
    var sets = {};
    var marks = 0;
    entry.shared.forEach(function (n) {
      sets[n] = sharedSet(n);
      marks += sets[n].length;
    });
    chart.datasets = sets;
    return vegaEmbed(element, chart, {
      mode: 'vega-lite', renderer: marks > 3000 ? 'canvas' : 'svg', actions: false, tooltip: true
    }).then(function () { drawnOne(element); }, function (error) { failedOne(element, error); });
  }

  // Templated charts (stiffeners and plates, hundreds of them) are drawn by
  // one view per template, off the page: each element's data is put in, the
  // view is run and its drawing copied into the element as SVG. One element
  // at a time, in order.
  var views = {};
  var queue = Promise.resolve();
  function templateView(name, sets) {
    if (!views[name]) {
      var chart = JSON.parse(JSON.stringify(data.templates[name].chart));
      chart.datasets = sets;
      views[name] = vegaEmbed(document.createElement('div'), chart, {
        mode: 'vega-lite', renderer: 'none', actions: false
      }).then(function (result) { return result.view; });
    }
    return views[name];
  }

  function drawTemplated(element, entry) {
    queue = queue.then(function () {
      var sets = setsOf(entry);
      return templateView(entry.t, sets).then(function (view) {
        Object.keys(sets).forEach(function (n) { view.data(n, sets[n]); });
        return view.runAsync();
      }).then(function (view) {
        return view.toSVG();
      }).then(function (svg) {
        element.innerHTML = '<div class="chart-title">' + escapeHtml(entry.title) + '</div>' + svg;
        drawnOne(element);
      }, function (error) { failedOne(element, error); });
    });
    return queue;
  }

  function draw(element, entry) {
    return entry.t ? drawTemplated(element, entry) : drawWhole(element, entry);
  }

  // Charts drawn a few at a time, so the page stays responsive while a
  // large report draws.
  function drawAll(elements, store, done) {
    var next = 0;
    function batch() {
      var pending = [];
      var end = Math.min(next + 16, elements.length);
      for (; next < end; next += 1) {
        pending.push(draw(elements[next], store[elements[next].id]));
      }
      Promise.all(pending).then(function () {
        body.dataset.chartsDrawn = String(drawn);
        body.dataset.chartsFailed = String(failed);
        if (next < elements.length) {
          setTimeout(batch, 0);
        } else if (done) {
          done();
        }
      });
    }
    batch();
  }

  // ---- tables ----------------------------------------------------------------
  function cellText(v) {
    return typeof v === 'number' ? String(v) : v;
  }

  function escapeHtml(s) {
    return String(s).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }

  function buildTable(holder) {
    var table = data.tables[holder.dataset.table];
    var columns = table.columns;
    var rows = table.rows.slice();
    var statusColumns = [];
    var statuses = {};
    columns.forEach(function (c, i) {
      if (/^Status/.test(c)) {
        statusColumns.push(i);
        rows.forEach(function (r) { statuses[r[i]] = true; });
      }
    });
    var controls = document.createElement('div');
    controls.className = 'controls';
    var select = null;
    if (statusColumns.length) {
      select = document.createElement('select');
      select.innerHTML = '<option value="">every status</option>' +
        Object.keys(statuses).sort().map(function (s) {
          return '<option>' + escapeHtml(s) + '</option>';
        }).join('');
      controls.appendChild(select);
    }
    var search = document.createElement('input');
    search.type = 'search';
    search.placeholder = 'filter';
    controls.appendChild(search);
    var count = document.createElement('span');
    controls.appendChild(count);
    // A long table shows its first rows until asked for all of them (and
    // shows all of them when printed).
    var all = document.createElement('button');
    all.type = 'button';
    controls.appendChild(all);
    var limit = 200;
    holder.appendChild(controls);

    var element = document.createElement('table');
    element.className = 'data sortable';
    element.innerHTML = '<thead><tr>' + columns.map(function (c) {
      return '<th>' + escapeHtml(c) + '</th>';
    }).join('') + '</tr></thead><tbody></tbody>';
    holder.appendChild(element);
    var tbody = element.tBodies[0];
    var sortColumn = -1;
    var descending = false;

    function render() {
      var status = select ? select.value : '';
      var text = search.value.toLowerCase();
      var shown = rows.filter(function (r) {
        if (status && !statusColumns.some(function (i) { return r[i] === status; })) return false;
        return !text || r.join(' ').toLowerCase().indexOf(text) >= 0;
      });
      if (sortColumn >= 0) {
        shown.sort(function (a, b) {
          var x = a[sortColumn], y = b[sortColumn];
          var order = typeof x === 'number' && typeof y === 'number' ? x - y
            : String(x).localeCompare(String(y));
          return descending ? -order : order;
        });
      }
      var total = shown.length;
      shown = shown.slice(0, limit);
      tbody.innerHTML = shown.map(function (r) {
        var failedRow = statusColumns.some(function (i) {
          return /^Fail/.test(r[i]);
        });
        return (failedRow ? '<tr class="fail">' : '<tr>') + r.map(function (v) {
          return '<td>' + escapeHtml(cellText(v)) + '</td>';
        }).join('') + '</tr>';
      }).join('');
      count.textContent = (total > shown.length ? 'first ' + shown.length + ' of ' : '') +
        total + (total < rows.length ? ' of ' + rows.length : '') + ' rows';
      all.textContent = 'show all ' + total + ' rows';
      all.hidden = total <= shown.length;
    }
    function showAll() {
      if (limit === Infinity) return;
      limit = Infinity;
      render();
    }
    all.addEventListener('click', showAll);
    window.addEventListener('beforeprint', showAll);
    element.tHead.addEventListener('click', function (event) {
      var th = event.target.closest('th');
      if (!th) return;
      var i = Array.prototype.indexOf.call(th.parentNode.children, th);
      descending = i === sortColumn ? !descending : false;
      sortColumn = i;
      Array.prototype.forEach.call(th.parentNode.children, function (h) {
        h.removeAttribute('aria-sort');
      });
      th.setAttribute('aria-sort', descending ? 'descending' : 'ascending');
      render();
    });
    if (select) select.addEventListener('change', render);
    search.addEventListener('input', render);
    render();
  }

  // ---- stiffeners drawn on request --------------------------------------------
  document.addEventListener('click', function (event) {
    var button = event.target.closest('button.show');
    if (!button) return;
    var more = data.more[Number(button.dataset.more)];
    var row = button.closest('tr');
    var holder = document.createElement('tr');
    holder.className = 'drawn';
    holder.innerHTML = '<td colspan="4"></td>';
    holder.firstChild.innerHTML = more.html;
    row.parentNode.insertBefore(holder, row.nextSibling);
    button.disabled = true;
    var elements = holder.querySelectorAll('[data-chart]');
    Array.prototype.forEach.call(elements, function (e) {
      draw(e, more.charts[e.id]);
    });
  });

  Array.prototype.forEach.call(document.querySelectorAll('[data-table]'), buildTable);
  drawAll(document.querySelectorAll('[data-chart]'), data.charts, function () {
    body.dataset.reportReady = '1';
  });
})();
